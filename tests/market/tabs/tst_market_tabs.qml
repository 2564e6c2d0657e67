import QtQuick 2.15
import QtTest 1.2
import "qrc:/MyGlobals" 1.0
import ".."

Item {
    id: window
    width: 1080
    height: 730

    Loader {
        id: loader
        anchors.fill: parent
    }

    MarketSession {
        id: test
        name: "MarketTabs"
        when: windowShown

        function init() {
            startSession()
        }

        function openTab(file) {
            loader.source = ""
            loader.source = "qrc:/Page/" + file
            tryCompare(loader, "status", Loader.Ready)
            const grid = findChild(loader.item, "pluginGrid")
            tryVerify(() => grid.count > 0)
            return loader.item
        }

        function cards(tab) {
            const grid = findChild(tab, "pluginGrid")
            const shown = []
            for (let i = 0; i < grid.count; ++i) {
                grid.positionViewAtIndex(i, GridView.Contain)
                const cell = grid.itemAtIndex(i)
                shown.push(findChild(cell, "cardTitle").text + "|" + findChild(cell, "cardLabel").text)
            }
            return shown
        }

        function test_cards_of_both_markets() {
            const shop = cards(openTab("Tab_shop.qml"))
            compare([shop.length, shop[0], shop[1]], [9, "AutoAnnounce|作者:KXT开发组", "SignInReward|作者:木子"])

            const dual = cards(openTab("Tab_shopex.qml"))
            compare(dual, ["公会争霸|30 贡献点/月", "宠物系统|免费", "MountRace|20 贡献点/月",
                           "世界首领|10 贡献点/月", "时装秀|50 贡献点/月"])
            const thumbnail = findChild(findChild(loader.item, "pluginGrid").itemAtIndex(0), "cardThumbnail")
            compare(String(thumbnail.source), sim.baseUrl + "/quenta/getthumb/GuildWar/0")
            tryCompare(thumbnail, "status", Image.Ready)
        }

        function test_search_data() {
            return [
                { tag: "name", tab: "Tab_shop.qml", mode: 0, input: "Sign", found: ["SignInReward\t作者: 木子"] },
                { tag: "name is case-sensitive", tab: "Tab_shop.qml", mode: 0, input: "signin", found: [] },
                { tag: "author", tab: "Tab_shop.qml", mode: 1, input: "木子", found: ["SignInReward\t作者: 木子", "MailBox\t作者: 木子"] },
                { tag: "description", tab: "Tab_shop.qml", mode: 2, input: "反作弊", found: ["AntiCheatLite\t作者: 守望者"] },
                { tag: "empty input", tab: "Tab_shop.qml", mode: 0, input: "", found: [] },
                { tag: "a zero finds free and ten", tab: "Tab_shopex.qml", mode: 1, input: "0",
                  found: ["GuildWar\t作者: 30", "PetSystem\t作者: 0", "MountRace\t作者: 20", "WorldBoss\t作者: 10", "FashionShow\t作者: 50"] },
                { tag: "dual description", tab: "Tab_shopex.qml", mode: 2, input: "首领", found: ["WorldBoss\t作者: 10"] }
            ]
        }

        function test_search(data) {
            const tab = openTab(data.tab)
            mouseClick(findChild(tab, "searchMode" + data.mode))
            compare(tab.searchMode, data.mode)
            const box = findChild(tab, "searchBox")
            box.search("Sign")
            box.search(data.input)
            compare(box.options.map(o => o.label), data.found)
        }

        function test_server_choice_and_detail_windows() {
            let tab = openTab("Tab_shop.qml")
            const select = findChild(tab, "serverSelect")
            compare([select.count, select.optionAt(2).label], [3, fixture.sim.gateway_hosts[2]])
            select.currentIndex = 2
            compare(GlobalVars.selectServer, 2)

            // A suggestion opens the window and empties the box.
            const box = findChild(tab, "searchBox")
            box.text = "Mail"
            box.search("Mail")
            box.choose(0)
            tryVerify(() => tab.detailWindow && tab.detailWindow.visible)
            compare([tab.detailWindow.p_name, tab.detailWindow.y, box.text], ["MailBox", 185, ""])
            tab.detailWindow.close()

            tab = openTab("Tab_shopex.qml")
            compare(GlobalVars.selectServer, 0)
            mouseClick(findChild(tab, "pluginGrid").itemAtIndex(0))
            tryVerify(() => tab.detailWindow && tab.detailWindow.p_name === "GuildWar")
            tab.detailWindow.close()
        }
    }
}
