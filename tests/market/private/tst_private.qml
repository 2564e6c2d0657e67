import QtQuick 2.15
import QtTest 1.2
import SSHManager 1.0
import "qrc:/MyGlobals" 1.0
import ".."

Item {
    id: root

    property var queue: null
    property var window: null
    property string shell: ""

    Connections {
        target: SSHManager
        function onShellOutput(data) { root.shell += data }
    }

    MarketSession {
        name: "PrivatePlugin"
        when: windowShown

        readonly property string host: fixture.sim.gateway_hosts[0]

        function initTestCase() {
            root.queue = Qt.createComponent("qrc:/Page/Window_DownloadQuest.qml").createObject(null)
            verify(root.queue)
        }

        function init() {
            startSession()
            GlobalVars.sshConnectServer = host
            GlobalVars.myServerPluginList = null
            GlobalVars.getServerPlugins(host)
            tryVerify(() => GlobalVars.myServerPluginList !== null, 10000)
            logSeq()
        }

        function cleanup() {
            if (root.window)
                root.window.destroy()
            root.window = null
        }

        function open(name) {
            const index = GlobalVars.myServerPluginList.findIndex(entry => entry.ProjectName === name)
            verify(index >= 0, name)
            root.window = Qt.createComponent("qrc:/Page/Window_PluginInfo_Private.qml").createObject(null)
            root.window.init(index)
            root.window.show()
            waitForRendering(root.window.contentItem)
            return root.window
        }

        function tabs() {
            const view = findChild(root.window.contentItem, "configTabs")
            tryCompare(view, "visible", true, 10000)
            const shown = []
            for (let i = 0; i < view.count; ++i)
                shown.push(view.get(i).key + " " + view.get(i).title)
            return shown
        }

        function editor(key) {
            return findChild(findChild(root.window.contentItem, "configEditor" + key), "jsonTextArea")
        }

        function gatewayConfig(file) {
            return done(sim.request("POST", "http://" + host + ":" + fixture.sim.gateway_port + "/api/getpluginconfig", { filename: file })).json
        }

        function test_configuration_tabs_data() {
            return [
                { tag: "JSON answer with the previous one", name: "AutoAnnounce", backup: false, tabs: ["1 配置文件", "2 配置文件(旧)"], starts: "{\n  \"interval\": 300," },
                { tag: "Base64 answer", name: "ShopGui", backup: false, tabs: ["1 配置文件"], starts: "{" },
                { tag: "Base64 answer with the previous one", name: "ShopGui", backup: true, tabs: ["1 配置文件", "2 配置文件(旧)"], starts: "{" }
            ]
        }

        function test_configuration_tabs(data) {
            if (data.backup)
                done(sim.request("POST", "http://" + host + ":" + fixture.sim.gateway_port + "/api/backuppluginconfig", { filename: data.name + ".json" }))
            open(data.name)
            compare(tabs(), data.tabs)
            const text = editor("1").text
            verify(text.startsWith(data.starts), text)
            // Chinese text survives the Base64 route.
            if (data.name === "ShopGui")
                verify(text.indexOf("武器") > 0, text)
        }

        function test_save_closes_only_once_taken() {
            open("AutoAnnounce")
            tabs()
            const area = editor("1")
            area.text = "{\"interval\": 60}"
            injectFault({ path: "/api/setpluginconfig", host: host, status: 500, times: 1 })
            mouseClick(findChild(findChild(root.window.contentItem, "configEditor1"), "saveButton"))
            tryCompare(messages, "shown", [{ kind: "error", text: "配置修改失败!" }], 10000)
            verify(root.window.visible)
            compare(area.text, "{\"interval\": 60}")

            mouseClick(findChild(findChild(root.window.contentItem, "configEditor1"), "saveButton"))
            tryVerify(() => !root.window.visible, 10000)
            compare(messages.texts("success"), ["配置修改成功!"])
            compare(gatewayConfig("AutoAnnounce.json").newcontent, { interval: 60 })
        }

        function test_update_runs_configuration_first_and_closes() {
            open("SignInReward")
            const update = findChild(root.window.contentItem, "updateButton")
            tryCompare(update, "visible", true)
            injectFault({ path: "/api/backuppluginconfig", host: host, status: 500, times: 1 })
            const tasks = root.queue.downloadModel.length
            mouseClick(update)
            tryCompare(messages, "shown", [{ kind: "error", text: "备份配置失败,未开始更新!" }], 10000)
            compare(root.queue.downloadModel.length, tasks)

            const seq = logSeq()
            mouseClick(update)
            tryVerify(() => !root.window.visible, 30000)
            const paths = requestsSince(seq).map(r => r.path)
            compare(paths.filter(p => p.indexOf("/kxt/download/") === 0),
                    ["/kxt/download/SignInReward:SignInReward.json", "/kxt/download/SignInReward:rewards.yml",
                     "/kxt/download/SignInReward:SignInReward.jar", "/kxt/download/SignInReward:Proj.ifo"])
            compare(paths[0], "/api/backuppluginconfig")
            tryVerify(() => requestsSince(seq, "/api/getallplugins").length === 1, 10000)
            tryVerify(() => GlobalVars.myServerPluginMap.SignInReward.ProjectVersion === "1.3", 10000)
        }

        function test_update_button_compares_versions_as_they_come_data() {
            return [
                { tag: "text 1.10 against 1.9", installed: "1.10", market: "1.9", shown: true },
                { tag: "text 1.3 against 1.3", installed: "1.3", market: "1.3", shown: false },
                { tag: "numbers 10 against 9", installed: 10, market: 9, shown: false }
            ]
        }

        function test_update_button_compares_versions_as_they_come(data) {
            const installed = GlobalVars.myServerPluginList.slice()
            const at = installed.findIndex(entry => entry.ProjectName === "SignInReward")
            installed[at] = Object.assign({}, installed[at], { ProjectVersion: data.installed })
            GlobalVars.myServerPluginList = installed
            GlobalVars.serverPluginList = GlobalVars.serverPluginList.map(entry => entry.ProjectName === "SignInReward"
                                                                          ? Object.assign({}, entry, { ProjectVersion: data.market }) : entry)
            open("SignInReward")
            compare(findChild(root.window.contentItem, "updateButton").visible, data.shown)
        }

        function connectShell() {
            const server = GlobalVars.accServerList[0]
            compare(server.serverIp, host)
            SSHManager.connectAndStartShell(server.serverIp, String(server.port), server.userName, server.password)
            tryVerify(() => root.shell.indexOf("$") >= 0 || root.shell.indexOf("#") >= 0, 20000, "a shell prompt")
        }

        function test_delete_types_a_quoted_path_and_refuses_bad_names() {
            root.shell = ""
            connectShell()
            const installed = GlobalVars.myServerPluginList.slice()
            const at = installed.findIndex(entry => entry.ProjectName === "ShopGui")
            installed[at] = Object.assign({}, installed[at], { ProjectName: "" })
            GlobalVars.myServerPluginList = installed
            open("")
            mouseClick(findChild(root.window.contentItem, "deleteButton"))
            compare(messages.texts("error"), ["插件名不合法,已取消删除: \"\""])
            verify(root.window.visible)
            wait(300)
            verify(root.shell.indexOf("rm -rf") < 0, "nothing typed")
            cleanup()

            installed[at] = Object.assign({}, installed[at], { ProjectName: "ShopGui" })
            GlobalVars.myServerPluginList = installed
            open("ShopGui")
            mouseClick(findChild(root.window.contentItem, "deleteButton"))
            verify(!root.window.visible)
            tryVerify(() => root.shell.split(/[\r\n]/).indexOf("删除插件成功!") >= 0, 10000, "the shell printed the marker")
            verify(root.shell.indexOf("rm -rf '/kx_t/OfficialProject/ShopGui'") >= 0, root.shell)
            const list = done(sim.request("POST", "http://" + host + ":" + fixture.sim.gateway_port + "/api/getallplugins", {})).json
            verify(!list.some(entry => entry.ProjectName === "ShopGui"), "the plugin's folder is gone")
        }
    }
}
