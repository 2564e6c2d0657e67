import QtQuick 2.15
import QtMultimedia 5.15
import QtTest 1.2
import KxtTest 1.0
import QmlTool 1.0
import "qrc:/MyGlobals" 1.0
import "../console/common"
import "../common/Items.js" as Items

// The dual-end plugin windows in real windows against the simulator: the market's
// (buying) and the bought one's (switch, import package). The server
// addresses are data for the platform only: nothing connects to them.
SimTestCase {
    id: testCase
    name: "ExPluginInfo"
    when: windowShown

    property var account: null
    property var queue: null
    readonly property string registered: "203.0.113.10"

    // An account of 50 points (a paid sponsorship order) with one registered server
    // that has PetSystem (free) bought.
    function initTestCase() {
        resetSimulator()
        account = freshAccount()
        var order = done(sim.platform("/zf/create", { type: 1, price: 50 }, account.token)).json.data
        done(sim.control("/pay", { order: order.split("/").pop() }))
        done(sim.platform("/quenta/addServer", { ip: registered, port: "22", username: "root", password: "pw" }, account.token))
        compare(done(sim.platform("/quenta/buy", { projectName: "PetSystem", ip: registered }, account.token)).json.code, 200)
        queue = Qt.createComponent("qrc:/Page/Window_DownloadQuest.qml").createObject(testCase)
    }

    // Both catalogues loaded, PetSystem switched off.
    function init() {
        GlobalVars.msg_control = messages
        GlobalVars.server_url = sim.baseUrl
        GlobalVars.token = account.token
        GlobalVars.sshConnectServer = registered
        done(sim.platform("/quenta/setproopen", { ip: registered, projectName: "PetSystem", open: 0 }, account.token))
        fetched("serverPluginexMap", () => GlobalVars.getShopAllProjectex())
        fetched("myServerExPluginMap", () => GlobalVars.getServerExPlugins(registered))
        messages.clear()
    }

    // The market's window (`bought` false) or the bought plugin's.
    function openWindow(name, bought) {
        return showWindow(Qt.createComponent("qrc:/Page/Window_ExPluginInfo_" + (bought ? "Private" : "Goods") + ".qml"), name)
    }

    // The market's header, and the bought one's: author, expiry and switch from the bought
    // list, or from `entry` put in its place.
    function test_header_data() {
        return [
            { tag: "alias", name: "GuildWar", texts: { detailTitle: "公会争霸", detailSubtitle: "KXT开发组", priceTag: "所需贡献点:30" } },
            { tag: "empty alias", name: "MountRace", texts: { detailTitle: "MountRace", detailSubtitle: "KXT开发组", priceTag: "所需贡献点:20" } },
            { tag: "bought, off", name: "PetSystem", bought: true, on: false },
            { tag: "bought, on, no expiry", name: "PetSystem", bought: true, entry: { ProjectAuthor: "Vemra", open: 1 }, on: true, expiry: "null" }
        ]
    }

    function test_header(data) {
        if (data.entry)
            GlobalVars.myServerExPluginMap = { PetSystem: data.entry }
        const entry = GlobalVars.myServerExPluginMap.PetSystem
        const texts = data.texts || { detailSubtitle: "作者: " + entry.ProjectAuthor, endTimeTag: "到期时间:" + (data.expiry || entry.endTime) }
        const win = openWindow(data.name, data.bought)
        compare(Object.keys(texts).map(name => findChild(win.contentItem, name).text), Object.values(texts))
        if (data.bought)
            compare(findChild(win.contentItem, "enableSwitch").checked, data.on)
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

    // A missing image shows nothing and says nothing; a broken video says why.
    function test_missing_media() {
        GlobalVars.serverPluginexMap = { Broken: { ProjectDetails: [{ type: "img", content: "404" },
            { type: "mov", content: fixture.sim.media_url + "/api/videos/NoSuchPlugin/1", width: 480, height: 270, index: 1 }] } }
        var win = openWindow("Broken")
        var image = findChild(win.contentItem, "imgBlock")
        tryCompare(image, "status", Image.Error, 10000)
        compare(image.height, 0)
        var video = findChild(win.contentItem, "movBlock")
        mouseClick(findChild(video, "playButton"))
        tryVerify(() => findChild(video, "videoFailure").visible, 10000)
        compare(messages.shown.map(m => m.kind + " " + /^播放错误:./.test(m.text)), ["error true"])
    }

    // The block's own size, the video from the media server, its page on the platform opened
    // in the browser. Paused, the position moves only when something seeks.
    function test_video_block() {
        OpenedUrls.clear()
        var video = findChild(openWindow("WorldBoss").contentItem, "movBlock")
        var player = findChild(video, "marketPlayer")
        var button = name => findChild(video, name)
        compare([video.width, video.height], [480, 270 + 40])
        verify(String(video.source).indexOf(fixture.sim.media_url) === 0, video.source)
        ;[true, false].forEach(function(muted) {
            mouseClick(button("muteButton"))
            compare([player.muted, button("muteButton").text], [muted, muted ? "取消静音" : "静音"])
        })
        mouseClick(button("browserButton"))
        compare(OpenedUrls.urls, [sim.baseUrl + "/api/videos/WorldBoss/1"])
        mouseClick(button("playButton"))
        tryCompare(player, "playbackState", MediaPlayer.PlayingState, 10000)
        compare(button("playButton").text, "暂停")
        // Fetched and playing; a busy machine may hold the picture at 0 for a long while.
        tryCompare(player, "status", MediaPlayer.Buffered, 30000)
        mouseClick(button("playButton"))
        tryCompare(player, "playbackState", MediaPlayer.PausedState)
        compare(button("playButton").text, "播放")
        var bar = button("seekBar")
        mouseClick(bar, bar.width / 2, bar.height / 2)
        tryVerify(() => Math.abs(player.position - player.duration / 2) < player.duration * 0.1, 5000,
                  "position " + player.position + " of " + player.duration)
        // Played on from there the next position would be later, started over earlier.
        var seeked = player.position
        mouseClick(button("replayButton"))
        tryCompare(player, "playbackState", MediaPlayer.PlayingState)
        tryVerify(() => player.position !== seeked, 5000)
        verify(player.position < seeked, "replay starts over: " + player.position + " after " + seeked)
        compare(messages.shown, [])
    }

    // MountRace is not bought for the server: the platform answers 404. Switching off says nothing.
    function test_switch_data() {
        return [
            { tag: "on", name: "PetSystem", was: 0, on: true, messages: [{ kind: "success", text: "开启成功" }] },
            { tag: "off", name: "PetSystem", was: 1, on: false, messages: [] },
            { tag: "refused by the platform", name: "MountRace", was: 0, on: false, messages: [{ kind: "error", text: "切换插件状态失败!" }] },
            { tag: "request failed", name: "PetSystem", was: 0, fault: { path: "/quenta/setproopen", status: 502, times: 1 },
              on: false, messages: [{ kind: "error", text: "切换插件状态失败!" }] }
        ]
    }

    function test_switch(data) {
        var map = GlobalVars.myServerExPluginMap
        map[data.name] = Object.assign({ ProjectAuthor: "0" }, map[data.name], { open: data.was })
        if (data.fault)
            injectFault(data.fault)
        var toggle = findChild(openWindow(data.name, true).contentItem, "enableSwitch")
        var seq = logSeq()
        mouseClick(toggle)
        compare(toggle.checked, !data.was, "the switch moves at once")
        compare(waitForRequest(seq, "/quenta/setproopen").body, { ip: registered, projectName: data.name, open: 1 - data.was })
        if (data.messages.length > 0)
            tryVerify(() => messages.shown.length > 0, 10000)
        wait(300)
        compare(messages.shown, data.messages)
        compare(toggle.checked, data.on)
    }

    // The folder's name has a blank, a "#" and Chinese: a URL that is merely cut
    // after "file://" would not name it. A stale file must be overwritten.
    function test_import_package_lands_in_the_chosen_folder() {
        var folder = QmlTool.urlToLocalFile(QmlTool.localFileToUrl("导入 #1"))
        var file = folder + "/双端插件-PetSystem导入包.zip"
        verify(QmlTool.wirteFile(file, "stale"))
        var win = openWindow("PetSystem", true)
        var picker = findChild(win, "folderPicker")
        mouseClick(findChild(win.contentItem, "importButton"))
        tryVerify(() => picker.visible)
        // Typed into the picker's path line, as an operator pastes a folder.
        var typed = findChild(picker.contentItem, "folderPickerPath")
        Items.retype(typed, folder)
        typed.accepted()
        mouseClick(findChild(picker.contentItem, "folderPickerOk"))
        tryVerify(() => messages.shown.length > 0, 10000)
        compare(messages.shown, [{ kind: "success", text: file + "已下载完成!" }])
        var saved = done(sim.request("GET", QmlTool.localFileToUrl(file), undefined, null, true)).bytes
        var served = done(sim.request("POST", sim.baseUrl + "/quenta/download", { projectName: "PetSystem" }, null, true)).bytes
        verify(served.length > 100 && served[0] === 0x50 && served[1] === 0x4b, "not a zip")
        compare(saved.length, served.length)
        verify(saved.every((value, i) => value === served[i]), "the saved file differs from the package")
    }

    // Which names are unsafe is GlobalVars.isSafeName's to say; here one is refused.
    function test_unsafe_name_queues_nothing() {
        GlobalVars.myServerExPluginMap["../PetSystem"] = { ProjectAuthor: "0" }
        var win = openWindow("../PetSystem", true)
        var queued = queue.downloadModel.length
        mouseClick(findChild(win.contentItem, "importButton"))
        compare(messages.texts("error").length, 1)
        verify(!findChild(win, "folderPicker").visible)
        compare(queue.downloadModel.length, queued)
    }
}
