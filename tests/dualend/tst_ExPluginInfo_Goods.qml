import QtQuick 2.15
import QtTest 1.2
import "qrc:/MyGlobals" 1.0
import "../console/common"

// The market's dual-end detail window in a real window against the simulator. The
// addresses bought for are data sent to the simulator, never servers to reach.
SimTestCase {
    name: "ExPluginInfoGoods"
    when: windowShown

    property MessageRecorder messages: MessageRecorder {}
    property var account: null
    readonly property string registered: "203.0.113.10"

    // An account of 50 points (a paid sponsorship order) with one registered server.
    function initTestCase() {
        resetSimulator()
        account = freshAccount()
        var order = done(sim.platform("/zf/create", { type: 1, price: 50 }, account.token)).json.data
        done(sim.control("/pay", { order: order.split("/").pop() }))
        done(sim.platform("/quenta/addServer", { ip: registered, port: "22", username: "root", password: "pw" }, account.token))
    }

    function init() {
        GlobalVars.msg_control = messages
        GlobalVars.server_url = sim.baseUrl
        GlobalVars.token = account.token
        messages.clear()
        GlobalVars.serverPluginexMap = null
        GlobalVars.getShopAllProjectex()
        tryVerify(() => GlobalVars.serverPluginexMap !== null, 10000, "no catalogue")
    }

    function openWindow(name) {
        return showWindow(Qt.createComponent("qrc:/Page/Window_ExPluginInfo_Goods.qml"), name)
    }

    function test_header_data() {
        return [
            { tag: "alias", name: "GuildWar", title: "公会争霸", price: "所需贡献点:30" },
            { tag: "empty alias", name: "MountRace", title: "MountRace", price: "所需贡献点:20" }
        ]
    }

    function test_header(data) {
        var win = openWindow(data.name)
        compare(["detailTitle", "detailSubtitle", "priceTag"].map(name => findChild(win.contentItem, name).text),
                [data.title, "KXT开发组", data.price])
    }

    function test_local_addresses() {
        var local = ["172.20.1.5", "172.16.0.1", "172.31.9.9", "10.0.0.8", "192.168.1.20", "127.0.0.1"]
        var win = openWindow("GuildWar")
        compare(local.concat(["172.32.0.1", "172.15.0.1", "100.10.0.1"]).filter(ip => win.isLocalAddress(ip)), local)
    }

    // In order: the registered server's purchase makes the later refusals. `until`: the
    // message ends with the purchase's expiry.
    function test_buying_data() {
        return [
            { tag: "local address", ip: "10.0.0.8", name: "GuildWar", sent: false, error: "暂不支持单机服务器使用双端插件!" },
            { tag: "not registered", ip: "100.10.0.1", name: "GuildWar", sent: true, error: "购买失败!\t该服务器未登记在您的账号下" },
            { tag: "registered", ip: registered, name: "GuildWar", sent: true, success: "购买成功!\t到期时间: ", until: true, points: 20 },
            { tag: "bought already", ip: registered, name: "GuildWar", sent: true, error: "购买失败!\t该服务器已购买此插件,到期时间: ", until: true },
            { tag: "too few points", ip: registered, name: "FashionShow", sent: true, error: "购买失败!\t贡献点不足,需要 50 点" }
        ]
    }

    function test_buying(data) {
        GlobalVars.accServerList = [{ serverIp: "10.9.9.9" }, { serverIp: data.ip, port: 22, userName: "root", password: "pw" }]
        GlobalVars.selectServer = 1
        var win = openWindow(data.name)
        var seq = logSeq()
        mouseClick(findChild(win.contentItem, "buyButton"))
        verify(!win.visible, "the window stays open")
        tryVerify(() => messages.shown.length > 0, 10000)
        compare(requestsSince(seq, "/quenta/buy").map(r => r.body), data.sent ? [{ projectName: data.name, ip: data.ip }] : [])
        var text = data.error || data.success
        if (data.until)
            text += done(sim.platform("/quenta/getUserProList", { ip: data.ip }, account.token)).json.data[data.name].endTime
        compare(messages.shown, [{ kind: data.error ? "error" : "success", text: text }])
        if (data.points !== undefined)
            compare(done(sim.platform("/quenta/getInfo", {}, account.token)).json.data.userpoints, data.points)
    }

    // The thumbnail stands in until the full picture is there; a click previews it.
    function test_images_show_full_picture_and_preview() {
        var win = openWindow("MountRace")
        var image = findChild(win.contentItem, "imgBlock")
        compare(String(image.placeholder), sim.baseUrl + "/quenta/getthumb/MountRace/1")
        tryCompare(image, "status", Image.Ready, 10000)
        compare([String(image.source), image.width], [sim.baseUrl + "/quenta/getimg/MountRace/1", 640])
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
        var image = findChild(openWindow("Broken").contentItem, "imgBlock")
        tryCompare(image, "status", Image.Error, 10000)
        compare(image.height, 0)
        compare(messages.shown, [])
    }

    // The block's own size, its video page on the platform, the video from the media server.
    function test_video_block_gets_its_own_player() {
        var player = findChild(openWindow("WorldBoss").contentItem, "movBlock")
        compare([player.width, player.height], [480, 270 + 40])
        compare(String(player.pageUrl), sim.baseUrl + "/api/videos/WorldBoss/1")
        verify(String(player.source).indexOf(fixture.sim.media_url) === 0, player.source)
    }
}
