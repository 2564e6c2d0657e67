import QtQuick 2.15
import QtTest 1.2
import QmlTool 1.0
import "qrc:/MyGlobals" 1.0
import "../console/common"
import "../common/Items.js" as Items

// The bought dual-end plugin window in a real window against the simulator. The
// server address is data for the platform only: nothing connects to it.
SimTestCase {
    id: testCase
    name: "ExPluginInfoPrivate"
    when: windowShown

    property MessageRecorder messages: MessageRecorder {}
    property var account: null
    property var queue: null
    readonly property string serverIp: "203.0.113.10"

    // An account with one registered server that has PetSystem (free) bought and off.
    function initTestCase() {
        resetSimulator()
        account = freshAccount()
        done(sim.platform("/quenta/addServer", { ip: serverIp, port: "22", username: "root", password: "pw" }, account.token))
        compare(done(sim.platform("/quenta/buy", { projectName: "PetSystem", ip: serverIp }, account.token)).json.code, 200)
        queue = Qt.createComponent("qrc:/Page/Window_DownloadQuest.qml").createObject(testCase)
    }

    function cleanupTestCase() {
        queue.destroy()
    }

    function init() {
        GlobalVars.msg_control = messages
        GlobalVars.server_url = sim.baseUrl
        GlobalVars.token = account.token
        GlobalVars.sshConnectServer = serverIp
        done(sim.platform("/quenta/setproopen", { ip: serverIp, projectName: "PetSystem", open: 0 }, account.token))
        GlobalVars.myServerExPluginMap = null
        GlobalVars.getServerExPlugins(serverIp)
        tryVerify(() => GlobalVars.myServerExPluginMap !== null, 10000, "no bought list")
        messages.clear()
    }

    function openWindow(name) {
        return showWindow(Qt.createComponent("qrc:/Page/Window_ExPluginInfo_Private.qml"), name)
    }

    function switchOf(win) {
        return findChild(win.contentItem, "enableSwitch")
    }

    function test_header_shows_state_and_expiry_data() {
        return [
            { tag: "bought, off", entry: null, on: false },
            { tag: "on, no expiry", entry: { ProjectAuthor: "Vemra", open: 1 }, on: true, expiry: "到期时间:null" }
        ]
    }

    function test_header_shows_state_and_expiry(data) {
        if (data.entry)
            GlobalVars.myServerExPluginMap = { PetSystem: data.entry }
        var win = openWindow("PetSystem")
        compare(switchOf(win).checked, data.on)
        var expiry = data.expiry || "到期时间:" + GlobalVars.myServerExPluginMap.PetSystem.endTime
        compare(findChild(win.contentItem, "endTimeTag").text, expiry)
        compare(findChild(win.contentItem, "detailSubtitle").text, "作者: " + GlobalVars.myServerExPluginMap.PetSystem.ProjectAuthor)
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
        var win = openWindow(data.name)
        var seq = logSeq()
        mouseClick(switchOf(win))
        compare(switchOf(win).checked, !data.was, "the switch moves at once")
        compare(waitForRequest(seq, "/quenta/setproopen").body, { ip: serverIp, projectName: data.name, open: 1 - data.was })
        if (data.messages.length > 0)
            tryVerify(() => messages.shown.length > 0, 10000)
        wait(300)
        compare(messages.shown, data.messages)
        compare(switchOf(win).checked, data.on)
    }

    // The folder's name has a blank, a "#" and Chinese: a URL that is merely cut
    // after "file://" would not name it. A stale file must be overwritten.
    function test_import_package_lands_in_the_chosen_folder() {
        var folder = QmlTool.urlToLocalFile(QmlTool.localFileToUrl("导入 #1"))
        var file = folder + "/双端插件-PetSystem导入包.zip"
        verify(QmlTool.wirteFile(file, "stale"))
        var win = openWindow("PetSystem")
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
        var win = openWindow("../PetSystem")
        var queued = queue.downloadModel.length
        mouseClick(findChild(win.contentItem, "importButton"))
        compare(messages.texts("error").length, 1)
        verify(!findChild(win, "folderPicker").visible)
        compare(queue.downloadModel.length, queued)
    }
}
