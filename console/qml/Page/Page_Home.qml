import QtQuick 2.15
import HuskarUI.Basic 1.0
import "../MyGlobals" 1.0

Item {
    id: home
    objectName: "homePage"

    y: GlobalVars.main_Window ? GlobalVars.main_Window.captionBar.height : 0
    width: GlobalVars.main_Window ? GlobalVars.main_Window.width : 0
    height: GlobalVars.main_Window ? GlobalVars.main_Window.height - y : 0

    readonly property int serverMenuIndex: 2

    function serverEntries(servers) {
        return servers.map(function(server) {
            return {
                key: "server",
                source: "Tab_server.qml",
                label: server.serverIp,
                port: server.port,
                user: server.userName,
                passwd: server.password,
                iconSource: HusIcon.HomeOutlined
            }
        })
    }

    function buildServerMenu() {
        var servers = GlobalVars.accServerList
        if (servers === null || servers === undefined)
            return
        menu.setProperty(serverMenuIndex, "menuChildren", Array.isArray(servers) ? serverEntries(servers) : [])
    }

    function openMenuEntry(deep, key, data) {
        if (deep === 0) {
            tabLoader.source = data && data.source ? data.source : ""
        } else if (deep === 1 && key === "server") {
            // Cleared first, so picking the same server again tears the old page down.
            tabLoader.source = ""
            tabLoader.source = "Tab_server.qml"
            if (tabLoader.item && typeof tabLoader.item.init === "function")
                tabLoader.item.init(data.label, data.port, data.user, data.passwd)
        }
    }

    function createTransferQueue() {
        var queue = Qt.createComponent("Window_DownloadQuest.qml")
        if (queue.status === Component.Ready)
            queue.createObject(home.parent)
        else
            console.warn("Transfer queue window unavailable:", queue.errorString())
    }

    HusMenu {
        id: menu
        objectName: "sideMenu"
        width: 220
        height: parent.height
        initModel: [
            { label: "首页", iconSource: HusIcon.HomeOutlined, source: "Tab_home.qml" },
            { type: "divider" },
            { label: "我的服务器", iconSource: HusIcon.CloudServerOutlined, menuChildren: [] },
            { label: "插件市场(服务端)", iconSource: HusIcon.ShopOutlined, source: "Tab_shop.qml" },
            { label: "插件市场(双端)", iconSource: HusIcon.ShopOutlined, source: "Tab_shopex.qml" },
            { label: "个人中心", iconSource: HusIcon.ProductOutlined, source: "Tab_personal.qml" },
            { label: "更新日志", iconSource: HusIcon.ClockCircleOutlined, source: "Tab_update.qml" },
            { label: "赞助", iconSource: HusIcon.InfoCircleOutlined, source: "Tab_support.qml" },
            { label: "关于", iconSource: HusIcon.InfoCircleOutlined, source: "Tab_about.qml" }
        ]
        onClickMenu: function(deep, key, data) { home.openMenuEntry(deep, key, data) }
    }

    Item {
        id: pageArea
        x: menu.width
        width: home.width - menu.width
        height: home.height

        Loader {
            id: tabLoader
            objectName: "tabLoader"
            anchors.fill: parent
        }
    }

    Connections {
        target: GlobalVars
        function onAccServerListChanged() { home.buildServerMenu() }
    }

    Component.onCompleted: {
        GlobalVars.page_home = home
        GlobalVars.getShopAllProject()
        GlobalVars.getShopAllProjectex()
        GlobalVars.getAccServerList()
        GlobalVars.getAccInfo()
        createTransferQueue()
        tabLoader.source = "Tab_home.qml"
        buildServerMenu()
    }
}
