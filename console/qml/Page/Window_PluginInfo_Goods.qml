import QtQuick 2.15
import HuskarUI.Basic 1.0
import FileTransfer 1.0
import "../MyGlobals" 1.0
import "../Component"
import "../Component/pluginfiles.js" as PluginFiles

// A server-side plugin of the market, installed file by file onto the account
// server chosen in the market tab.
DetailWindow {
    id: window

    property var p_basedata: null
    property string p_name: "未定名插件"
    property string p_author: "未定名作者"
    property string p_version: "0.0.1"
    property string p_description: "暂无描述"
    property real p_price: 0
    property var p_filelist: []
    property bool p_isquenta: false

    function init(index) {
        const list = GlobalVars.serverPluginList;
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
        if (entry.ProjectDetails)
            blocks.blocks = entry.ProjectDetails;
        p_price = entry.ProjectPrice ? Number(entry.ProjectPrice) : 0;
        p_isquenta = entry.isquenta ? true : false;
    }

    // Buying is free here: the price tag only informs.
    function install() {
        if (!p_basedata || p_isquenta)
            return;
        const files = PluginFiles.installOrder(p_basedata);
        const unsafe = PluginFiles.firstUnsafe(GlobalVars, [p_name].concat(files));
        if (unsafe) {
            GlobalVars.notify("error", "插件名或文件名不合法,已取消安装: " + JSON.stringify(unsafe.name));
            return;
        }
        const servers = GlobalVars.accServerList;
        const server = Array.isArray(servers) ? servers[GlobalVars.selectServer] : null;
        PluginFiles.queueFiles(GlobalVars, FileTransfer, GlobalVars.downlad_quest_window, p_name, files,
                               server ? server.serverIp : "", null);
    }

    PluginDetailHeader {
        id: header
        title: window.p_name
        subtitle: "作者: " + window.p_author
        version: window.p_version
        description: window.p_description
        actions: [
            HusTag {
                id: priceTag
                objectName: "priceTag"
                anchors.right: parent.right
                y: 15
                presetColor: "green"
                text: "所需贡献点:" + window.p_price
            },
            HusButton {
                objectName: "buyButton"
                anchors.right: parent.right
                y: priceTag.y + priceTag.height + 2
                height: 26
                text: "购买"
                onClicked: window.install()
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
}
