import QtQuick 2.15
import QtTest 1.2
import "qrc:/MyGlobals" 1.0
import "../console/common"

// The market's dual-end detail window in a real window against the simulator. The
// addresses bought for are data sent to the simulator, never servers to reach.
SimTestCase {
    id: testCase
    name: "ExPluginInfoGoods"
    when: windowShown

    property MessageRecorder messages: MessageRecorder {}
    property Component windowComponent: Qt.createComponent("qrc:/Page/Window_ExPluginInfo_Goods.qml")
    property var account: null
    readonly property string documentationAddress: "203.0.113.10"

    function initTestCase() {
        resetSimulator()
        account = freshAccount()
    }

    function init() {
        GlobalVars.msg_control = messages
        GlobalVars.server_url = sim.baseUrl
        GlobalVars.token = account.token
        GlobalVars.selectServer = 0
        messages.clear()
        GlobalVars.serverPluginexMap = null
        GlobalVars.getShopAllProjectex()
        tryVerify(() => GlobalVars.serverPluginexMap !== null, 10000, "no catalogue")
    }

    function openWindow(name) {
        return showWindow(windowComponent, name)
    }

    function buyFor(ip, name) {
        GlobalVars.accServerList = [{ serverIp: ip, port: 22, userName: "root", password: "pw" }]
        var win = openWindow(name)
        var seq = logSeq()
        mouseClick(findChild(win.contentItem, "buyButton"))
        verify(!win.visible, "the window stays open")
        return seq
    }

    function test_header_shows_alias_and_price_data() {
        return [
            { tag: "alias", name: "GuildWar", title: "公会争霸", price: "所需贡献点:30" },
            { tag: "empty alias", name: "MountRace", title: "MountRace", price: "所需贡献点:20" }
        ]
    }

    function test_header_shows_alias_and_price(data) {
        var win = openWindow(data.name)
        compare(findChild(win.contentItem, "detailTitle").text, data.title)
        compare(findChild(win.contentItem, "detailSubtitle").text, "KXT开发组")
        compare(findChild(win.contentItem, "priceTag").text, data.price)
        compare(win.width, 1110)
        compare(win.height, 800)
    }

    function test_local_addresses() {
        var local = ["172.20.1.5", "172.16.0.1", "172.31.9.9", "10.0.0.8", "192.168.1.20", "127.0.0.1"]
        var win = openWindow("GuildWar")
        compare(local.concat(["172.32.0.1", "172.15.0.1", "100.10.0.1"]).filter(ip => win.isLocalAddress(ip)), local)
    }

    function test_buying_follows_the_local_address_rule_data() {
        return [
            { tag: "local", ip: "10.0.0.8", sent: false, error: "暂不支持单机服务器使用双端插件!" },
            { tag: "public", ip: "100.10.0.1", sent: true, error: "购买失败!\t该服务器未登记在您的账号下" }
        ]
    }

    function test_buying_follows_the_local_address_rule(data) {
        var seq = buyFor(data.ip, "GuildWar")
        tryVerify(() => messages.shown.length > 0, 10000)
        compare(messages.texts("error"), [data.error])
        var bought = requestsSince(seq, "/quenta/buy")
        compare(bought.length, data.sent ? 1 : 0)
        if (data.sent)
            compare(bought[0].body, { projectName: "GuildWar", ip: data.ip })
    }

    // Points come from a paid sponsorship order: 50 yuan buys 50 points.
    function test_buying_for_a_registered_server() {
        var order = done(sim.platform("/zf/create", { type: 1, price: 50 }, account.token)).json.data
        done(sim.control("/pay", { order: order.split("/").pop() }))
        done(sim.platform("/quenta/addServer", { ip: documentationAddress, port: "22", username: "root", password: "pw" }, account.token))
        GlobalVars.accServerList = null
        GlobalVars.getAccServerList()
        tryVerify(() => Array.isArray(GlobalVars.accServerList) && GlobalVars.accServerList.length === 1)

        var win = openWindow("GuildWar")
        mouseClick(findChild(win.contentItem, "buyButton"))
        verify(!win.visible)
        tryVerify(() => messages.shown.length === 1, 10000)
        compare(messages.texts("error"), [])
        var bought = done(sim.platform("/quenta/getUserProList", { ip: documentationAddress }, account.token)).json.data
        compare(messages.texts("success"), ["购买成功!\t到期时间: " + bought.GuildWar.endTime])
        compare(done(sim.platform("/quenta/getInfo", {}, account.token)).json.data.userpoints, 20)

        var refusals = [["GuildWar", "购买失败!\t该服务器已购买此插件,到期时间: " + bought.GuildWar.endTime],
                        ["FashionShow", "购买失败!\t贡献点不足,需要 50 点"]]
        refusals.forEach(function(row) {
            messages.clear()
            win = openWindow(row[0])
            mouseClick(findChild(win.contentItem, "buyButton"))
            tryVerify(() => messages.shown.length === 1, 10000)
            compare(messages.texts("error"), [row[1]])
        })
    }

    function test_images_show_full_picture_and_preview() {
        var win = openWindow("MountRace")
        var image = findChild(win.contentItem, "imgBlock")
        verify(image)
        compare(String(image.placeholder), sim.baseUrl + "/quenta/getthumb/MountRace/1")
        tryCompare(image, "status", Image.Ready, 10000)
        compare(String(image.source), sim.baseUrl + "/quenta/getimg/MountRace/1")
        compare(image.width, 640)
        var preview = findChild(image, "imagePreview")
        mouseClick(image)
        tryCompare(preview, "visible", true)
        compare(String(preview.shownUrl), String(image.source))
        mouseClick(win.contentItem, 20, win.height - 20)
        tryCompare(preview, "visible", false)
        verify(win.visible)
    }

    function test_missing_image_shows_nothing() {
        GlobalVars.serverPluginexMap = { Broken: { ProjectDetails: [{ type: "img", content: "404" }] } }
        var win = openWindow("Broken")
        var image = findChild(win.contentItem, "imgBlock")
        tryCompare(image, "status", Image.Error, 10000)
        compare(image.height, 0)
        compare(messages.shown, [])
    }

    function test_video_block_gets_its_own_player() {
        var win = openWindow("WorldBoss")
        var player = findChild(win.contentItem, "movBlock")
        verify(player)
        compare(player.width, 480)
        compare(player.height, 270 + 40)
        compare(String(player.pageUrl), sim.baseUrl + "/api/videos/WorldBoss/1")
        verify(String(player.source).indexOf(fixture.sim.media_url) === 0, player.source)
    }
}
