import QtQuick 2.15
import HuskarUI.Basic 1.0
import FileTransfer 1.0
import "../MyGlobals" 1.0
import "../Component"
import "../Component/pluginfiles.js" as PluginFiles

// A dual-end plugin bought for the server open in the console: its expiry, its
// on/off switch and the import package for the game client.
DetailWindow {
    id: window

    property var p_basedata: null
    property string p_name: "未定名插件"
    property string p_author: "未定名作者"
    property string p_version: "0.0.1"
    property string p_endTime: "null"
    property string p_description: "暂无描述"
    property real p_price: 0
    property var p_filelist: []

    function init(index) {
        const map = GlobalVars.myServerExPluginMap;
        if (!map || !map[index])
            return;
        const entry = map[index];
        p_basedata = entry;
        p_name = index;
        // A field the entry lacks keeps the window's initial text.
        const texts = { p_author: entry.ProjectAuthor, p_version: entry.ProjectVersion, p_description: entry.ProjectDescribe };
        for (const property in texts) {
            if (texts[property] !== undefined && texts[property] !== null)
                window[property] = texts[property];
        }
        if (entry.ProjectFiles)
            p_filelist = entry.ProjectFiles;
        p_price = entry.ProjectPrice ? Number(entry.ProjectPrice) : 0;
        // Image blocks name one of the plugin's images: shown at its full address.
        if (Array.isArray(entry.ProjectDetails)) {
            blocks.blocks = entry.ProjectDetails.map(block => block && block.type === "img"
                ? Object.assign({}, block, { content: GlobalVars.server_url + "/quenta/getimg/" + index + "/" + block.content })
                : block);
        }
        if (Number(entry.open) === 1)
            enableSwitch.checked = true;
        if (entry.endTime !== undefined && entry.endTime !== null)
            p_endTime = entry.endTime;
    }

    // A refused or failed switch goes back, so it never shows a state the plugin is not in.
    function switchPlugin(on) {
        GlobalVars.setServerExPluginsEnable(GlobalVars.sshConnectServer, p_name, on ? 1 : 0, ok => {
            if (ok)
                return;
            enableSwitch.checked = !on;
            GlobalVars.notify("error", "切换插件状态失败!");
        });
    }

    // The name becomes part of a local file name: one that could leave the folder is refused
    // before anything is asked.
    function chooseImportFolder() {
        if (!GlobalVars.isSafeName(p_name)) {
            GlobalVars.notify("error", "插件名不能用作文件名,无法下载导入包: " + JSON.stringify(p_name));
            return;
        }
        folderPicker.open();
    }

    function queueImportPackage(folder) {
        PluginFiles.queuePackageDownload(GlobalVars, FileTransfer, GlobalVars.downlad_quest_window, p_name, folder,
                                         "双端插件-" + p_name + "导入包.zip");
    }

    PluginDetailHeader {
        id: header
        title: window.p_name
        subtitle: "作者: " + window.p_author
        version: window.p_version
        description: window.p_description
        tags: HusTag {
            objectName: "endTimeTag"
            presetColor: "geekblue"
            text: "到期时间:" + window.p_endTime
        }
        actions: [
            HusSwitch {
                id: enableSwitch
                objectName: "enableSwitch"
                anchors.right: parent.right
                y: 15
                checkedText: "开启插件"
                uncheckedText: "关闭插件"
                onToggled: window.switchPlugin(checked)
            },
            HusButton {
                objectName: "importButton"
                anchors.right: parent.right
                y: 45
                height: 26
                text: "下载插件导入包"
                onClicked: window.chooseImportFolder()
            }
        ]
    }

    DetailFrame {
        y: header.y + header.height + 10
        height: window.height - y - 10

        PluginDetailBlocks {
            id: blocks
            anchors.fill: parent
            anchors.margins: parent.border.width
        }
    }

    FolderPicker {
        id: folderPicker
        transientParent: window
        onAccepted: path => window.queueImportPackage(path)
    }
}
