import QtQuick 2.15
import HuskarUI.Basic 1.0
import "../MyGlobals" 1.0
import "../Component"

// A dual-end plugin of the market, bought for a period for the account server
// chosen in the market tab.
DetailWindow {
    id: window

    property var p_basedata: null
    property string p_name: "未定名插件"
    property string pa_name: ""
    property string p_author: "未定名作者"
    property string p_version: "0.0.1"
    property string p_description: "暂无描述"
    property real p_price: 0
    property var p_filelist: []

    width: 1110
    height: 800

    function init(index) {
        const map = GlobalVars.serverPluginexMap;
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
        if (entry.ProjectDetails)
            blocks.blocks = entry.ProjectDetails;
        if (entry.ProjectAlias)
            pa_name = entry.ProjectAlias;
    }

    // Loopback and the private ranges: a stand-alone server the platform cannot reach.
    function isLocalAddress(ip) {
        if (typeof ip !== "string" || ip === "")
            return false;
        if (/^(127|10)\./.test(ip) || ip.startsWith("192.168."))
            return true;
        const second = /^172\.(\d+)\./.exec(ip);
        return second !== null && Number(second[1]) >= 16 && Number(second[1]) <= 31;
    }

    // The outcome arrives later through the message bar; the window does not wait for it.
    function buy() {
        const servers = GlobalVars.accServerList;
        const server = Array.isArray(servers) ? servers[GlobalVars.selectServer] : null;
        if (!server)
            return;
        if (isLocalAddress(server.serverIp)) {
            GlobalVars.notify("error", "暂不支持单机服务器使用双端插件!");
            window.close();
            return;
        }
        GlobalVars.buyExPlugin(p_name, server.serverIp);
        window.close();
    }

    function imageUrl(kind, content) {
        return GlobalVars.server_url + "/quenta/" + kind + "/" + p_name + "/" + content;
    }

    PluginDetailHeader {
        id: header
        title: window.pa_name !== "" ? window.pa_name : window.p_name
        subtitle: "KXT开发组"
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
                onClicked: window.buy()
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

            // The thumbnail stands in, at its own size, until the full image is there.
            imageComponent: HusImage {
                property var block
                property real columnWidth
                readonly property size shownSize: status === Image.Ready ? sourceSize
                                                  : status === Image.Loading ? thumbnail.sourceSize : Qt.size(0, 0)
                objectName: "imgBlock"
                source: block ? window.imageUrl("getimg", block.content) : ""
                placeholder: block ? window.imageUrl("getthumb", block.content) : ""
                items: [source]
                fillMode: Image.PreserveAspectFit
                horizontalAlignment: Image.AlignLeft
                width: Math.min(shownSize.width, columnWidth)
                height: shownSize.width > 0 ? width * shownSize.height / shownSize.width : 0

                Image {
                    id: thumbnail
                    visible: false
                    source: parent.placeholder
                    asynchronous: true
                }
            }

            movieComponent: MarketVideoPlayer {
                property var block
                property real columnWidth
                objectName: "movBlock"
                source: block ? block.content : ""
                pageUrl: block ? GlobalVars.server_url + "/api/videos/" + window.p_name + "/" + block.index : ""
                videoWidth: block ? Number(block.width) : 0
                videoHeight: block ? Number(block.height) : 0
            }
        }
    }
}
