import QtQuick 2.15
import QtTest 1.2
import HuskarUI.Basic 1.0
import Desktop 1.0
import "qrc:/MyGlobals" 1.0
import "../console/common"
import "../common/Layout.js" as Layout
import "../common/Items.js" as Items

// Every page of the signed-in console and every window its pages open, at the
// smallest supported size and at the default one, in both themes: nothing drawn
// outside the page or under the side menu, nothing cut, every scroll area reaching
// its end. Each case leaves its picture in the working folder.
SimTestCase {
    name: "Layout"
    when: windowShown

    property var window: null
    property var tab: null
    property var shownWindow: null

    readonly property size defaultSize: Qt.size(1080, 760)
    readonly property size smallSize: Qt.size(800, 600)

    // The login page, the tabs by their menu entry ("server" for the first account
    // server's page), and the windows they open: `open` makes the window show,
    // `ready` tells it filled in. A page's own window (`once`, or how to ask for it
    // again, for another plugin) is one at a time and forgotten when closed.
    readonly property var cases: [
        { name: "login" },
        { name: "home", menu: 0, ready: tab => findChild(tab, "termsPopup").opened },
        { name: "server", menu: "server", ready: tab => findChild(tab, "readyView").visible },
        { name: "shop", menu: 3, ready: tab => findChild(tab, "pluginGrid").count > 0 },
        { name: "shopex", menu: 4, ready: tab => findChild(tab, "pluginGrid").count > 0 },
        { name: "personal", menu: 5, ready: tab => findChild(tab, "serverTable").rowCount > 0 },
        { name: "update", menu: 6 },
        { name: "support", menu: 7 },
        { name: "about", menu: 8 },
        { name: "addServer", menu: 5, open: tab => tab.openAddServerWindow(), window: tab => tab.addServerWindow, once: true },
        { name: "serverPlugins", menu: "server", open: tab => tab.openPluginsWindow(), window: tab => tab.myPluginsWidow,
          ready: window => findChild(window.contentItem, "pluginGrid0").count > 0, once: true },
        { name: "pluginGoods", menu: 3, open: tab => tab.openDetail(0), window: tab => tab.detailWindow, once: tab => tab.openDetail(1) },
        { name: "dualGoods", menu: 4, open: tab => tab.openDetail(Object.keys(GlobalVars.serverPluginexMap)[0]),
          window: tab => tab.detailWindow, once: tab => tab.openDetail(Object.keys(GlobalVars.serverPluginexMap)[1]) },
        { name: "pluginPrivate", menu: "server", open: tab => openPrivate(tab, 0), window: tab => tab.myPluginsWidow.pluginInfoWidow,
          once: tab => tab.myPluginsWidow.openDetail(1) },
        { name: "dualPrivate", menu: "server", open: tab => openPrivate(tab, 1), window: tab => tab.myPluginsWidow.pluginInfoWidow,
          once: tab => tab.myPluginsWidow.openDetail(1) },
        { name: "transferQueue", menu: 0, open: fillQueue, window: () => GlobalVars.downlad_quest_window,
          ready: window => findChild(window.contentItem, "questView").count >= 3 }
    ]

    function test_layout_data() {
        const rows = []
        for (const entry of cases)
            for (const [sizeName, size] of [["default", defaultSize], ["800x600", smallSize]])
                for (const dark of [false, true])
                    rows.push(Object.assign({ tag: [entry.name, sizeName, dark ? "dark" : "light"].join("-"), size, dark }, entry))
        return rows
    }

    function test_layout(data) {
        HusTheme.isDark = data.dark
        // Windows of their own keep the main window at its default size.
        var pageSize = data.open ? defaultSize : data.size
        window.width = pageSize.width
        window.height = pageSize.height
        var shown = window
        var area = findChild(window.contentItem, "loginPage")
        var menu = null
        if (data.menu !== undefined) {
            signIn()
            tab = showTab(data.menu)
            area = findChild(window.contentItem, "tabLoader")
            menu = findChild(window.contentItem, "sideMenu")
        }
        if (data.open) {
            if (data.menu === "server")
                tryVerify(() => findChild(tab, "readyView").visible, 10000, "the server page is ready")
            data.open(tab)
            shown = shownWindow = data.window(tab)
            verify(shown, data.name + " opened")
            tryVerify(() => shown.visible && shown.active !== undefined)
            shown.width = data.size.width === defaultSize.width ? shown.width : data.size.width
            shown.height = data.size.width === defaultSize.width ? shown.height : data.size.height
            area = shown.contentItem
            menu = null
        }
        if (data.ready)
            tryVerify(() => data.ready(data.open ? shown : tab), 10000, data.name + " filled in")
        waitForRendering(shown.contentItem)
        verify(Desktop.save(shown, data.tag + ".png"))
        compare(Layout.faults(shown.contentItem, area, menu), [])
        // A window's own background (lower left corner, inside the frames) follows the theme.
        if (data.menu === undefined || data.open) {
            const background = () => Items.brightness(grabImage(shown.contentItem), 14, shown.height - 14)
            tryVerify(() => Math.abs(background() - (data.dark ? 0 : 1)) < 0.25, 3000, "the background does not follow the theme")
        }
        if (data.once) {
            const askAgain = data.once === true ? data.open : data.once
            const plugin = shown.p_name
            askAgain(tab)
            compare([data.window(tab), shown.p_name], [shown, plugin], "asked for again, the open window comes forward as it was")
            shown.close()
            verify(!data.window(tab), "the closed window is forgotten")
        }
    }

    function showTab(entry) {
        var menu = findChild(window.contentItem, "sideMenu")
        if (entry === "server")
            menu.clickMenu(1, "server", GlobalVars.page_home.serverEntries(GlobalVars.accServerList)[0])
        else
            menu.clickMenu(0, "", menu.get(entry))
        var loader = findChild(window.contentItem, "tabLoader")
        tryCompare(loader, "status", Loader.Ready)
        return loader.item
    }

    // A bought plugin's window, from the server plugins window's tab 0 or 1.
    function openPrivate(serverTab, tabIndex) {
        serverTab.openPluginsWindow()
        var plugins = serverTab.myPluginsWidow
        tryVerify(() => findChild(plugins.contentItem, "pluginGrid0").count > 0, 10000)
        if (tabIndex === 1) {
            plugins.switchTab(1)
            tryVerify(() => findChild(plugins.contentItem, "pluginGrid1").count > 0, 10000)
        }
        plugins.openDetail(0)
    }

    // A finished, a failed and a running task.
    function fillQueue() {
        var queue = GlobalVars.downlad_quest_window
        queue.addQuest("KxtCore.jar", [task => { task.instruction = true }])
        queue.addQuest("不存在的插件包.zip", [() => { throw new Error("refused") }])
        tryVerify(() => queue.downloadModel.every(task => task.status === 3), 5000)
        queue.addQuest("AutoAnnounce.jar", [task => { task.status = 1; task.progress = 45.6 }])
    }

    // The login page comes first; the rows after it need the home page.
    function signIn() {
        if (GlobalVars.page_home)
            return
        window.changePage(1)
        tryVerify(() => GlobalVars.accServerList && GlobalVars.serverPluginList && GlobalVars.serverPluginexMap, 10000)
    }

    function initTestCase() {
        resetAndSignIn()
        window = Qt.createComponent("qrc:/main.qml").createObject(null)
        GlobalVars.msg_control = messages
    }

    function cleanup() {
        if (shownWindow && shownWindow === GlobalVars.downlad_quest_window) {
            shownWindow.downloadModel.forEach(task => shownWindow.cancelTask(task))
            shownWindow.hide()
        } else if (shownWindow) {
            shownWindow.close()
        }
        shownWindow = null
        if (GlobalVars.page_home)
            GlobalVars.page_home.openMenuEntry(0, "", {})
        tab = null
    }

    function cleanupTestCase() {
        window.destroy()
        HusTheme.isDark = false
    }
}
