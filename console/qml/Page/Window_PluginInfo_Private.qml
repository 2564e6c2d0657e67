import QtQuick 2.15
import HuskarUI.Basic 1.0
import FileTransfer 1.0
import SSHManager 1.0
import "../MyGlobals" 1.0
import "../Component"
import "../Component/pluginfiles.js" as PluginFiles

// A plugin installed on the server open in the console: its configuration (new
// and previous) to edit through the gateway, the update to the market's newer
// version, and removal through the server's shell.
DetailWindow {
    id: window

    property var p_basedata: null
    property var p_shopbasedata: null
    property string p_name: "未定名插件"
    property string p_author: "未定名作者"
    property string p_version: "0.0.1"
    property string p_description: "暂无描述"
    property real p_price: 0
    property var p_filelist: []
    property bool p_isquenta: false

    // Seen by queued update tasks, which may finish after this window has gone.
    readonly property var opened: ({ window: window })

    function init(index) {
        const list = GlobalVars.myServerPluginList;
        if (!Array.isArray(list) || !list[index])
            return;
        const entry = list[index];
        p_basedata = entry;
        p_name = entry.ProjectName;
        p_author = entry.ProjectAuthor;
        p_version = entry.ProjectVersion;
        p_description = entry.ProjectDescribe;
        if (entry.ProjectFiles)
            p_filelist = entry.ProjectFiles;
        p_price = entry.ProjectPrice ? Number(entry.ProjectPrice) : 0;
        p_isquenta = entry.isquenta ? true : false;

        const market = GlobalVars.serverPluginList;
        if (Array.isArray(market)) {
            market.forEach(function(shop) {
                if (shop && shop.ProjectName === entry.ProjectName && shop.ProjectAuthor === entry.ProjectAuthor)
                    p_shopbasedata = shop;
            });
        }
        const config = PluginFiles.configOf(entry);
        if (config)
            GlobalVars.getServerPluginConfig(GlobalVars.sshConnectServer, config, showConfig);
        // Compared as they come: two texts character by character, two numbers numerically.
        updateButton.visible = p_shopbasedata !== null && p_shopbasedata.ProjectVersion > entry.ProjectVersion;
    }

    function showConfig(answer) {
        if (!answer)
            return;
        configTabs.visible = true;
        const base64 = typeof answer.newcontent === "string";
        const current = PluginFiles.configText(answer.newcontent, base64);
        const previous = PluginFiles.configText(answer.oldcontent, base64);
        const tabs = [];
        if (current !== "")
            tabs.push({ key: "1", iconSource: HusIcon.CreditCardOutlined, title: "配置文件", content: current });
        if (previous !== "")
            tabs.push({ key: "2", iconSource: HusIcon.CreditCardOutlined, title: "配置文件(旧)", content: previous });
        if (tabs.length > 0)
            configTabs.initModel = tabs;
    }

    // Only the current configuration is saved; the window closes once the gateway
    // has taken it, and keeps the operator's text when it has not.
    function saveConfig(key, text) {
        if (key !== "1" || !p_basedata)
            return;
        GlobalVars.setServerPluginConfig(GlobalVars.sshConnectServer, PluginFiles.configOf(p_basedata), text, function(saved) {
            if (saved && opened.window)
                opened.window.close();
        });
    }

    function updatePlugin() {
        const shop = p_shopbasedata;
        if (!p_basedata || !shop)
            return;
        const files = PluginFiles.updateOrder(shop);
        const unsafe = PluginFiles.firstUnsafe(GlobalVars, [shop.ProjectName].concat(files));
        if (unsafe) {
            GlobalVars.notify("error", "插件名或文件名不合法,已取消更新: " + JSON.stringify(unsafe.name));
            return;
        }
        const host = GlobalVars.sshConnectServer;
        const queue = GlobalVars.downlad_quest_window;
        const finisher = PluginFiles.updateFinisher(GlobalVars, host, opened);
        GlobalVars.backupServerPluginConfig(host, PluginFiles.configOf(p_basedata), function(answer) {
            if (!answer) {
                GlobalVars.notify("error", "备份配置失败,未开始更新!");
                return;
            }
            PluginFiles.queueFiles(GlobalVars, FileTransfer, queue, shop.ProjectName, files, host, finisher);
        });
    }

    function remove() {
        if (!p_basedata)
            return;
        if (!GlobalVars.isSafeName(p_name)) {
            GlobalVars.notify("error", "插件名不合法,已取消删除: " + JSON.stringify(p_name));
            return;
        }
        SSHManager.sendInput("rm -rf '/kx_t/OfficialProject/" + p_name + "'");
        SSHManager.sendInput("echo '删除插件成功!'");
        close();
    }

    Component.onDestruction: opened.window = null

    PluginDetailHeader {
        id: header
        title: window.p_name
        subtitle: "作者: " + window.p_author
        version: window.p_version
        description: window.p_description
        actions: [
            HusButton {
                id: updateButton
                objectName: "updateButton"
                anchors.right: parent.right
                y: 12
                height: 26
                visible: false
                text: "更新"
                colorText: "#32cd33"
                onClicked: window.updatePlugin()
            },
            HusButton {
                objectName: "deleteButton"
                anchors.right: parent.right
                y: 42
                height: 26
                text: "删除"
                colorText: "#ff0000"
                onClicked: window.remove()
            }
        ]
    }

    DetailFrame {
        y: header.y + header.height + 10
        height: window.height - y - 10

        HusTabView {
            id: configTabs
            objectName: "configTabs"
            anchors.fill: parent
            anchors.margins: 10
            visible: false
            tabSize: HusTabView.Size_Auto
            tabCentered: true
            addButtonVisible: false
            contentDelegate: JsonEditor {
                objectName: "configEditor" + model.key
                projectConfigStr: model.content
                saveFunction: text => window.saveConfig(model.key, text)
            }
        }
    }
}
