import QtQuick 2.15
import QtTest 1.2
import QmlTool 1.0
import SSHManager 1.0
import "qrc:/MyGlobals" 1.0
import ".."

// The server-side plugin windows: the market's (installing) and an installed one's
// (configuration, update, removal).
MarketSession {
    id: test
    name: "PluginWindows"
    when: windowShown

    readonly property string host: hosts[0]
    property string shell: ""

    Connections {
        target: SSHManager
        function onShellOutput(data) { test.shell += data }
    }

    function init() {
        startSession()
        GlobalVars.sshConnectServer = host
        fetched("myServerPluginList", () => GlobalVars.getServerPlugins(host))
        logSeq()
    }

    function open(name) {
        return openDetail("Window_PluginInfo_Private.qml", GlobalVars.myServerPluginList.findIndex(entry => entry.ProjectName === name))
    }

    function openGoods(name) {
        return openDetail("Window_PluginInfo_Goods.qml", GlobalVars.serverPluginList.findIndex(entry => entry.ProjectName === name))
    }

    function tabs() {
        const view = findChild(detail.contentItem, "configTabs")
        tryCompare(view, "visible", true, 10000)
        return Array.from({ length: view.count }, (_, i) => view.get(i).key + " " + view.get(i).title)
    }

    function editor(key, part) {
        return findChild(findChild(detail.contentItem, "configEditor" + key), part)
    }

    function test_configuration_tabs_data() {
        return [
            { tag: "JSON with the previous one", name: "AutoAnnounce", backup: false, tabs: ["1 配置文件", "2 配置文件(旧)"], has: "{\n  \"interval\": 300," },
            { tag: "Base64", name: "ShopGui", backup: false, tabs: ["1 配置文件"], has: "\"武器\"" },
            { tag: "Base64 with the previous one", name: "ShopGui", backup: true, tabs: ["1 配置文件", "2 配置文件(旧)"], has: "\"武器\"" }
        ]
    }

    function test_configuration_tabs(data) {
        if (data.backup)
            done(sim.gateway(host, "/api/backuppluginconfig", { filename: data.name + ".json" }))
        open(data.name)
        compare(tabs(), data.tabs)
        verify(editor("1", "jsonTextArea").text.indexOf(data.has) >= 0, editor("1", "jsonTextArea").text)
    }

    // A save the gateway refuses keeps the window and the edit (the plugins journey saves one).
    function test_refused_save_keeps_the_edit() {
        open("AutoAnnounce")
        tabs()
        const area = editor("1", "jsonTextArea")
        area.text = "{\"interval\": 60}"
        injectFault({ path: "/api/setpluginconfig", host: host, status: 500, times: 1 })
        mouseClick(editor("1", "saveButton"))
        tryCompare(messages, "shown", [{ kind: "error", text: "配置修改失败!" }], 10000)
        verify(detail.visible)
        compare(area.text, "{\"interval\": 60}")
    }

    function test_update_runs_configuration_first_and_closes() {
        open("SignInReward")
        const update = findChild(detail.contentItem, "updateButton")
        tryCompare(update, "visible", true)
        injectFault({ path: "/api/backuppluginconfig", host: host, status: 500, times: 1 })
        const tasks = queue.downloadModel.length
        mouseClick(update)
        tryCompare(messages, "shown", [{ kind: "error", text: "备份配置失败,未开始更新!" }], 10000)
        compare(queue.downloadModel.length, tasks)

        const seq = logSeq()
        mouseClick(update)
        tryVerify(() => !detail.visible, 30000)
        const paths = requestsSince(seq).map(r => r.path)
        compare(paths[0], "/api/backuppluginconfig")
        compare(paths.filter(p => p.startsWith("/kxt/download/")),
                ["/kxt/download/SignInReward:SignInReward.json", "/kxt/download/SignInReward:rewards.yml",
                 "/kxt/download/SignInReward:SignInReward.jar", "/kxt/download/SignInReward:Proj.ifo"])
    }

    function test_update_button_compares_versions_as_they_come_data() {
        return [
            { tag: "text 1.10 against 1.9", installed: "1.10", market: "1.9", shown: true },
            { tag: "text 1.3 against 1.3", installed: "1.3", market: "1.3", shown: false },
            { tag: "numbers 10 against 9", installed: 10, market: 9, shown: false }
        ]
    }

    function test_update_button_compares_versions_as_they_come(data) {
        GlobalVars.myServerPluginList = changed(GlobalVars.myServerPluginList, "SignInReward", { ProjectVersion: data.installed })
        GlobalVars.serverPluginList = changed(GlobalVars.serverPluginList, "SignInReward", { ProjectVersion: data.market })
        open("SignInReward")
        compare(findChild(detail.contentItem, "updateButton").visible, data.shown)
    }

    function test_delete_types_a_quoted_path_and_refuses_bad_names() {
        const server = GlobalVars.accServerList[0]
        shell = ""
        SSHManager.connectAndStartShell(server.serverIp, String(server.port), server.userName, server.password)
        tryVerify(() => /[$#] $/.test(shell), 20000, "a shell prompt")
        const installed = GlobalVars.myServerPluginList
        GlobalVars.myServerPluginList = changed(installed, "ShopGui", { ProjectName: "" })
        open("")
        press("deleteButton")
        compare(messages.texts("error"), ["插件名不合法,已取消删除: \"\""])
        verify(detail.visible)
        wait(300)
        verify(shell.indexOf("rm -rf") < 0, "nothing typed")

        // The plugins journey sees the window close and the plugin leave the list.
        GlobalVars.myServerPluginList = installed
        open("ShopGui")
        press("deleteButton")
        tryVerify(() => shell.split(/[\r\n]/).indexOf("删除插件成功!") >= 0, 10000, "the shell printed the marker")
        verify(shell.indexOf("rm -rf '/kx_t/OfficialProject/ShopGui'") >= 0, shell)
    }

    function transfers(seq) {
        return requestsSince(seq).filter(r => r.path.startsWith("/kxt/download/") || r.path === "/api/uploadfiles")
    }

    function test_install_runs_files_in_reverse_into_their_folders() {
        const host = hosts[1]
        GlobalVars.selectServer = 1
        const seq = logSeq()
        const tasks = queue.downloadModel.length
        compare(openGoods("SignInReward").p_price, 20)
        press("buyButton")
        tryVerify(() => queue.downloadModel.length === tasks + 4 && queue.downloadModel.every(task => task.status === 3 && !task.error), 30000)
        compare(transfers(seq).filter(r => r.path !== "/api/uploadfiles").map(r => r.path),
                ["/kxt/download/SignInReward:rewards.yml", "/kxt/download/SignInReward:SignInReward.jar",
                 "/kxt/download/SignInReward:SignInReward.json", "/kxt/download/SignInReward:Proj.ifo"])
        // Each file in its folder of the chosen server's root, and nowhere else.
        for (const path of ["/kx_t/OfficialProject/SignInReward/rewards.yml", "/kx_t/OfficialProject/SignInReward/SignInReward.jar",
                            "/kx_t/OfficialConfig/SignInReward.json", "/kx_t/OfficialProject/SignInReward/Proj.ifo"]) {
            // readFile answers "null" for a missing file.
            verify(["", "null"].indexOf(QmlTool.readFile(fixture.sim.roots[host] + path)) < 0, path)
            compare(QmlTool.readFile(fixture.sim.roots[hosts[2]] + path), "null", path)
        }
        verify(detail.visible, "the window stays open")
    }

    function test_refusals_data() {
        return [
            { tag: "bundled with the framework", name: "KxtCore", change: {}, message: null },
            { tag: "plugin name climbs out", name: "AntiCheatLite", change: { ProjectName: "../AntiCheatLite" }, message: "\"../AntiCheatLite\"" },
            { tag: "file with a quote", name: "AntiCheatLite", change: { ProjectFiles: ["a.jar", "x'; rm -rf /; '"] }, message: "x'" },
            { tag: "configuration elsewhere", name: "AntiCheatLite", change: { ProjectConfig: "../../etc/x.json" }, message: "../../etc" }
        ]
    }

    function test_refusals(data) {
        const at = GlobalVars.serverPluginList.findIndex(entry => entry.ProjectName === data.name)
        GlobalVars.serverPluginList = changed(GlobalVars.serverPluginList, data.name, data.change)
        const seq = logSeq()
        const tasks = queue.downloadModel.length
        openDetail("Window_PluginInfo_Goods.qml", at)
        press("buyButton")
        wait(200)
        compare(queue.downloadModel.length, tasks, "nothing queued")
        compare(transfers(seq).length, 0, "nothing transferred")
        const errors = messages.texts("error")
        compare(errors.length, data.message ? 1 : 0)
        if (data.message)
            verify(errors[0].indexOf(data.message) > 0, errors[0])
    }
}
