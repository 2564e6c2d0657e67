import QtQuick 2.15
import QtTest 1.2
import SSHManager 1.0
import "qrc:/MyGlobals" 1.0
import ".."

MarketSession {
    id: test
    name: "PrivatePlugin"
    when: windowShown

    readonly property string host: fixture.sim.gateway_hosts[0]
    property string shell: ""

    Connections {
        target: SSHManager
        function onShellOutput(data) { test.shell += data }
    }

    function init() {
        startSession()
        GlobalVars.sshConnectServer = host
        GlobalVars.myServerPluginList = null
        GlobalVars.getServerPlugins(host)
        tryVerify(() => GlobalVars.myServerPluginList !== null, 10000)
        logSeq()
    }

    function open(name) {
        return openDetail("Window_PluginInfo_Private.qml", GlobalVars.myServerPluginList.findIndex(entry => entry.ProjectName === name))
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
            gateway(host, "/api/backuppluginconfig", { filename: data.name + ".json" })
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

        GlobalVars.myServerPluginList = installed
        open("ShopGui")
        press("deleteButton")
        verify(!detail.visible)
        tryVerify(() => shell.split(/[\r\n]/).indexOf("删除插件成功!") >= 0, 10000, "the shell printed the marker")
        verify(shell.indexOf("rm -rf '/kx_t/OfficialProject/ShopGui'") >= 0, shell)
        verify(!gateway(host, "/api/getallplugins").some(entry => entry.ProjectName === "ShopGui"), "the plugin's folder is gone")
    }
}
