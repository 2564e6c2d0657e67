import QtQuick 2.15
import QtQuick.Window 2.15
import QtTest 1.2
import QmlTool 1.0
import SSHManager 1.0
import "qrc:/MyGlobals" 1.0
import "../console/common"

// The server page and its plugins window against the sample servers: real sshd
// shells, the simulator's gateways and platform, the real transfer queue window.
SimTestCase {
    id: testCase
    name: "ServerPage"
    when: windowShown

    property var servers: []
    property var queue: Qt.createComponent("qrc:/Page/Window_DownloadQuest.qml").createObject(null)
    property var page: null
    property var plugins: null

    // The page area of the main window.
    Window {
        id: host
        width: 860
        height: 730
        visible: true
    }

    // The sample account signed in on a simulator back at its start.
    function init() {
        resetAndSignIn()
        GlobalVars.all_Version = done(sim.platform("/quenta/getversion", {})).json
        servers = done(sim.platform("/quenta/getServerList", {}, GlobalVars.token)).json.data
        GlobalVars.main_Window = { y: 40 }
    }

    function cleanup() {
        ;[page, plugins].forEach(function(item) { if (item) item.destroy() })
        page = plugins = null
        // Answers to the last requests land before the next test resets the simulator.
        wait(300)
        GlobalVars.main_Window = null
    }

    function openPage(server, password) {
        page = Qt.createComponent("qrc:/Page/Tab_server.qml").createObject(host.contentItem, { width: host.width, height: host.height })
        page.init(server.serverIp, server.port, server.userName, password || server.password)
        return page
    }

    // Ready: the gateway answered and every component's state is known.
    function ready() {
        return page.page_state === 1 && [page.kxt_version_ready, page.java_p_version_ready, page.java_version_ready]
                .indexOf("undefine") < 0
    }

    function openReadyPage(server) {
        openPage(server)
        tryVerify(ready, 20000, "the page did not become ready")
        return page
    }

    function item(name) {
        return findChild(page, name)
    }

    function rowText(role) {
        var row = item("statusRow_" + role)
        return findChild(row, "rowSpinner").visible ? "spinner" : findChild(row, "rowTag").text
    }

    // The shown text of each button, null for a hidden one.
    function buttons() {
        return ["kxt", "javap", "java"].map(role => item(role + "Button").visible ? item(role + "Button").text : null)
    }

    function press(name) {
        var target = item(name)
        verify(target && target.visible, name)
        mouseClick(target)
    }

    function test_states_data() {
        return [
            { tag: "sample server 1", server: 0, state: 1,
              rows: ["1.5", "3.2", "1.8.0_392"], buttons: ["更新KX-T插件", null, null] },
            { tag: "nothing but the framework", server: 1, state: 1,
              rows: ["1.6", "未安装", "未安装"], buttons: [null, "安装JAVA插件", "安装JAVA"] },
            { tag: "1.9 installed, 1.10 announced", server: 0, state: 1, announced: { kxtVer: "1.10", jarVer: "3.10" },
              gateway: { kxt: "1.9", javap: "3.9", java: "1.8.0_392" },
              rows: ["1.9", "3.9", "1.8.0_392"], buttons: [null, null, null] },
            { tag: "gateway not installed yet", server: 2, state: 0,
              message: { kind: "error", text: "服务器kxt管理网关未启动,请前往'个人中心'重新添加服务器 或 询问管理员!" } },
            { tag: "wrong password", server: 0, password: "not-the-password", state: 2 }
        ]
    }

    function test_states(data) {
        const server = servers[data.server]
        if (data.announced) {
            GlobalVars.all_Version = data.announced
            done(sim.control("/gateway/state", { host: server.serverIp, components: data.gateway }))
        }
        openPage(server, data.password)
        if (data.message) {
            tryVerify(() => messages.shown.length > 0, 20000)
            wait(500)
        }
        tryVerify(() => page.page_state === data.state && (data.state !== 1 || ready()), 20000)
        compare(messages.shown, data.message ? [data.message] : [])
        compare(["pageSpinner", "readyView", "failureText"].map(name => item(name).visible), [0, 1, 2].map(state => state === data.state))
        if (data.state === 1)
            compare([rowText("kxt"), rowText("javap"), rowText("java"), buttons(), GlobalVars.sshConnectServer, item("serverIpText").text],
                    data.rows.concat([data.buttons, server.serverIp, server.serverIp]))
    }

    // A lost shell (a dead link reports like a closed session) offers "重新连接", which
    // logs in again with the same details and keeps what the console showed.
    function test_reconnect_after_the_link_is_lost() {
        openReadyPage(servers[0])
        const shownLines = () => item("serverConsole").plainText().split("\n")
        tryVerify(() => shownLines().length > 1, 10000, "the console shows the login")
        // Whole lines: a status line may take over an unfinished prompt line.
        var before = shownLines().slice(0, -1)
        verify(!item("reconnectButton").visible)
        SSHManager.disconnectFromServer()
        tryVerify(() => item("reconnectButton").visible, 5000)
        press("reconnectButton")
        tryVerify(() => !item("reconnectButton").visible, 20000, "not connected again")
        compare(page.page_state, 1)
        compare(shownLines().slice(0, before.length), before, "the earlier text stays")
    }

    // The page reports its own transfers' failures; the queue's stay off its bar and messages.
    function test_transfer_failures() {
        openReadyPage(servers[0])
        injectFault({ path: "/quenta/download/all", status: 500, times: 1 })
        press("kxtButton")
        verify(item("kxtBar").visible)
        tryVerify(() => messages.shown.length > 0, 20000)
        verify(/^错误：.+/.test(messages.texts("error")[0]), messages.shown[0].text)
        verify(!item("kxtBar").visible && !item("kxtButton").visible)

        messages.clear()
        page.kxtButtonPressed = false
        injectFault({ path: "/quenta/download", delay_ms: 1500, times: 1 })
        page.downloadClientPackage("picker")
        tryVerify(() => queue.downloadModel[0].status === 1)
        press("kxtButton")
        compare(messages.shown, [{ kind: "error", text: "错误：已有进行中的下载" }])
        verify(!item("kxtBar").visible)
        tryVerify(() => queue.downloadModel[0].status === 3, 20000)

        injectFault({ path: "/quenta/download", status: 500, times: 1 })
        page.downloadClientPackage("picker")
        tryVerify(() => queue.downloadModel[queue.downloadModel.length - 1].error === 1, 20000)
        compare(messages.texts("error"), ["错误：已有进行中的下载"])
        compare(item("kxtBar").currentValue, 0)
    }

    function test_client_package_to_a_chosen_folder() {
        openReadyPage(servers[0])
        var seq = logSeq()
        var picker = findChild(page, "folderPicker")
        var path = QmlTool.urlToLocalFile(QmlTool.localFileToUrl("picker/中文 目录")) + "/客户端插件包.zip"
        verify(QmlTool.wirteFile(path, "stale"))
        press("clientPackageButton")
        verify(picker.visible)
        verify(picker.accept("picker/中文 目录"))
        var task = queue.downloadModel[0]
        tryVerify(() => task.status === 3, 20000)
        compare([task.fileName, task.error], ["客户端插件包.zip", 0])
        verify(QmlTool.readFile(path) !== "stale", path)
        compare(messages.shown, [{ kind: "success", text: path + "已下载完成!" }])
        compare(waitForRequest(seq, "/quenta/download").body, { projectName: "通用" })
    }

    // The plugins window of `server`; `catalogue` changes the market's versions first, null
    // leaves the market's catalogue out.
    function openPlugins(server, catalogue) {
        GlobalVars.myServerPluginList = null
        GlobalVars.myServerExPluginMap = null
        GlobalVars.serverPluginMap = null
        if (catalogue !== null) {
            fetched("serverPluginMap", () => GlobalVars.getShopAllProject())
            for (var name in catalogue || {})
                GlobalVars.serverPluginMap[name].ProjectVersion = catalogue[name]
        }
        plugins = Qt.createComponent("qrc:/Page/Window_ServerPlugins.qml").createObject(null)
        plugins.init(server.serverIp)
        return plugins
    }

    function grid() {
        return findChild(plugins.contentItem, "pluginGrid" + plugins.showMode)
    }

    // name -> the text at the card's corner, once the grid shows `count` cards.
    function cards(count) {
        tryVerify(() => grid() && grid().count === count, 10000, "cards: " + (grid() ? grid().count : "none"))
        var shown = {}
        for (var i = 0; i < count; ++i)
            shown[findChild(grid().itemAtIndex(i), "pluginName").text] = findChild(grid().itemAtIndex(i), "pluginCorner").text
        return shown
    }

    // What a click on the tab's title reports; the tab view's own clicks are the component library's.
    function clickTab(index) {
        findChild(plugins.contentItem, "pluginTabs").tabClicked(index, String(index + 1))
    }

    // `cards`: name -> how the text at its corner begins.
    function test_server_side_cards_data() {
        return [
            { tag: "plugin not in the catalogue", server: 1, cards: { BackupKeeper: "作者:", LegacyTools: "作者:老周" } },
            { tag: "versions compared as texts", server: 0, catalogue: { ShopGui: "10.0", KxtCore: 2.0 },
              cards: { AutoAnnounce: "作者:", SignInReward: "有新的版本!", KxtCore: "有新的版本!", ShopGui: "作者:" } },
            { tag: "no catalogue", server: 0, catalogue: null,
              cards: { AutoAnnounce: "作者:", SignInReward: "作者:", KxtCore: "作者:", ShopGui: "作者:" } }
        ]
    }

    function test_server_side_cards(data) {
        openPlugins(servers[data.server], data.catalogue)
        var shown = cards(Object.keys(data.cards).length)
        compare(Object.keys(data.cards).filter(name => !String(shown[name]).startsWith(data.cards[name])), [])
        compare(messages.shown, [])
    }

    function test_tabs_switch_and_refetch() {
        openPlugins(servers[0])
        cards(4)
        clickTab(1)
        compare(Object.keys(cards(2)).sort(), ["GuildWar", "PetSystem"])
        for (var i = 0; i < 2; ++i)
            tryCompare(findChild(grid().itemAtIndex(i), "pluginImage"), "status", Image.Ready, 10000)
        injectFault({ path: "/api/getallplugins", host: servers[0].serverIp, delay_ms: 800, times: 1 })
        clickTab(0)
        compare(plugins.pluginModel.length, 0)
        wait(300)
        compare(grid().count, 0)
        cards(4)
    }

    // A failed request leaves null behind.
    function test_gateway_down_gives_an_empty_tab() {
        openPlugins(servers[2])
        GlobalVars.myServerPluginList = []
        tryVerify(() => GlobalVars.myServerPluginList === null, 10000)
        compare(grid().count, 0)
        compare(messages.shown, [])
    }

    // A document that cannot be made into a window opens nothing, and says why.
    function test_unavailable_detail_window() {
        openPlugins(servers[0])
        plugins.detailDocuments = ["Missing_Window.qml", "Missing_Window.qml"]
        ignoreWarning(/Window unavailable: .*Missing_Window.qml/)
        plugins.openDetail(0)
        compare(plugins.pluginInfoWidow, null)
    }
}
