import QtQuick 2.15
import QtTest 1.2
import "qrc:/MyGlobals" 1.0

// The plugins window of the sample servers, fed by the simulator's gateways and platform.
ServerPageCase {
    id: testCase
    name: "ServerPlugins"
    when: windowShown

    property var window: null

    function init() {
        signInDemo()
        GlobalVars.myServerPluginList = null
        GlobalVars.myServerExPluginMap = null
        GlobalVars.main_Window = { y: 30 }
        GlobalVars.serverPluginMap = null
        GlobalVars.getShopAllProject()
        tryVerify(function() { return GlobalVars.serverPluginMap !== null }, 10000)
    }

    function cleanup() {
        if (window)
            window.destroy()
        window = null
        wait(300)
        GlobalVars.main_Window = null
    }

    function openWindow(server) {
        var component = Qt.createComponent("qrc:/Page/Window_ServerPlugins.qml")
        window = component.createObject(null)
        verify(window, component.errorString())
        window.init(server.serverIp)
        return window
    }

    function grid() {
        return findChild(window.contentItem, "pluginGrid" + window.showMode)
    }

    // name -> the text at the card's corner, once the grid shows `count` cards.
    function cards(count) {
        tryVerify(function() { return grid() && grid().count === count }, 10000, "cards: " + (grid() ? grid().count : "none"))
        var shown = {}
        for (var i = 0; i < count; ++i) {
            var cell = grid().itemAtIndex(i)
            verify(cell, "card " + i + " not laid out")
            shown[findChild(cell, "pluginName").text] = findChild(cell, "pluginCorner").text
        }
        return shown
    }

    // What a click on the tab's title reports; the tab view's own clicks are the component library's.
    function clickTab(index) {
        findChild(window.contentItem, "pluginTabs").tabClicked(index, String(index + 1))
    }

    function test_server_side_cards_data() {
        return [
            { tag: "sample server 1", server: 0, cards: { AutoAnnounce: "作者:", SignInReward: "有新的版本!", KxtCore: "作者:", ShopGui: "作者:" } },
            { tag: "plugin not in the catalogue", server: 1, cards: { BackupKeeper: "作者:", LegacyTools: "作者:老周" } },
            { tag: "versions compared as texts", server: 0, catalogue: { ShopGui: "10.0", KxtCore: 2.0 },
              cards: { AutoAnnounce: "作者:", SignInReward: "有新的版本!", KxtCore: "有新的版本!", ShopGui: "作者:" } },
            { tag: "no catalogue", server: 0, noCatalogue: true,
              cards: { AutoAnnounce: "作者:", SignInReward: "作者:", KxtCore: "作者:", ShopGui: "作者:" } }
        ]
    }

    function test_server_side_cards(data) {
        var server = servers[data.server]
        for (var changed in data.catalogue || {})
            GlobalVars.serverPluginMap[changed].ProjectVersion = data.catalogue[changed]
        if (data.noCatalogue)
            GlobalVars.serverPluginMap = null
        openWindow(server)
        var shown = cards(Object.keys(data.cards).length)
        for (var name in data.cards) {
            verify(shown[name] !== undefined, name)
            verify(shown[name].indexOf(data.cards[name]) === 0, name + ": " + shown[name])
        }
        compare(messages.shown, [])
    }

    function test_tabs_switch_and_refetch() {
        openWindow(servers[0])
        cards(4)
        clickTab(1)
        compare(window.showMode, 1)
        var shown = cards(2)
        compare(Object.keys(shown).sort(), ["GuildWar", "PetSystem"])
        for (var i = 0; i < 2; ++i) {
            var image = findChild(grid().itemAtIndex(i), "pluginImage")
            tryVerify(function() { return image.status === Image.Ready }, 10000, String(image.source))
        }
        injectFault({ path: "/api/getallplugins", host: servers[0].serverIp, delay_ms: 800, times: 1 })
        clickTab(0)
        compare(window.pluginModel.length, 0)
        wait(300)
        compare(grid().count, 0)
        cards(4)
    }

    function test_gateway_down_gives_an_empty_tab() {
        // A failed request leaves null behind.
        GlobalVars.myServerPluginList = []
        openWindow(servers[2])
        tryVerify(function() { return GlobalVars.myServerPluginList === null }, 10000)
        compare(grid().count, 0)
        compare(messages.shown, [])
    }

    function test_one_detail_window_at_a_time() {
        openWindow(servers[0])
        cards(4)
        mouseClick(grid().itemAtIndex(1))
        tryVerify(function() { return window.pluginInfoWidow !== null })
        var detail = window.pluginInfoWidow
        var name = window.pluginModel[1].ProjectName
        compare(detail.p_name, name)
        compare(detail.y, 30 + 85)
        mouseClick(grid().itemAtIndex(2))
        wait(100)
        compare(window.pluginInfoWidow, detail)
        compare(detail.p_name, name)
        detail.close()
        tryVerify(function() { return window.pluginInfoWidow === null })

        window.detailDocuments = ["Missing_Window.qml", "Missing_Window.qml"]
        ignoreWarning(/Plugin detail window unavailable/)
        mouseClick(grid().itemAtIndex(0))
        wait(100)
        compare(window.pluginInfoWidow, null)
    }
}
