import QtQuick 2.15
import QtTest 1.2
import QmlTool 1.0
import "qrc:/MyGlobals" 1.0
import ".."

Item {
    id: root

    property var queue: null
    property var window: null

    MarketSession {
        name: "GoodsInstall"
        when: windowShown

        function initTestCase() {
            root.queue = Qt.createComponent("qrc:/Page/Window_DownloadQuest.qml").createObject(null)
            verify(root.queue)
        }

        function init() {
            startSession()
        }

        function cleanup() {
            if (root.window)
                root.window.destroy()
            root.window = null
        }

        function open(index) {
            root.window = Qt.createComponent("qrc:/Page/Window_PluginInfo_Goods.qml").createObject(null)
            root.window.init(index)
            root.window.show()
            waitForRendering(root.window.contentItem)
            return root.window
        }

        function indexOf(name) {
            return GlobalVars.serverPluginList.findIndex(entry => entry.ProjectName === name)
        }

        function buy() {
            mouseClick(findChild(root.window.contentItem, "buyButton"))
        }

        function finished() {
            return root.queue.downloadModel.every(task => task.status === 3)
        }

        function test_install_runs_files_in_reverse_into_their_folders() {
            const host = fixture.sim.gateway_hosts[1]
            GlobalVars.selectServer = 1
            const seq = logSeq()
            const tasks = root.queue.downloadModel.length
            open(indexOf("SignInReward"))
            compare(root.window.p_price, 20)
            buy()
            tryVerify(() => finished() && root.queue.downloadModel.length === tasks + 4, 30000)
            verify(root.queue.downloadModel.every(task => task.error === 0))
            const downloads = requestsSince(seq).filter(r => r.path.indexOf("/kxt/download/") === 0).map(r => r.path)
            compare(downloads, ["/kxt/download/SignInReward:rewards.yml", "/kxt/download/SignInReward:SignInReward.jar",
                                "/kxt/download/SignInReward:SignInReward.json", "/kxt/download/SignInReward:Proj.ifo"])
            // Each file in its folder of the chosen server's root, and nowhere else.
            for (const path of ["/kx_t/OfficialProject/SignInReward/rewards.yml", "/kx_t/OfficialProject/SignInReward/SignInReward.jar",
                                "/kx_t/OfficialConfig/SignInReward.json", "/kx_t/OfficialProject/SignInReward/Proj.ifo"]) {
                // readFile answers "null" for a missing file.
                verify(["", "null"].indexOf(QmlTool.readFile(fixture.sim.roots[host] + path)) < 0, path)
                compare(QmlTool.readFile(fixture.sim.roots[fixture.sim.gateway_hosts[2]] + path), "null", path)
            }
            compare(messages.texts("success")[3], "文件 :SignInReward:Proj.ifo  已下载并上传至服务器!")
            verify(root.window.visible, "the window stays open")
            GlobalVars.getServerPlugins(host)
            tryVerify(() => GlobalVars.myServerPluginMap && GlobalVars.myServerPluginMap.SignInReward, 10000)
        }

        function test_refusals_data() {
            return [
                { tag: "bundled with the framework", name: "KxtCore", change: null, message: null },
                { tag: "plugin name climbs out", name: "AntiCheatLite", change: { ProjectName: "../AntiCheatLite" }, message: "\"../AntiCheatLite\"" },
                { tag: "empty plugin name", name: "AntiCheatLite", change: { ProjectName: "" }, message: "\"\"" },
                { tag: "file with a quote", name: "AntiCheatLite", change: { ProjectFiles: ["a.jar", "x'; rm -rf /; '"] }, message: "x'" },
                { tag: "configuration in a subfolder", name: "AntiCheatLite", change: { ProjectConfig: "../../etc/x.json" }, message: "../../etc" }
            ]
        }

        function test_refusals(data) {
            const list = GlobalVars.serverPluginList.slice()
            const at = indexOf(data.name)
            list[at] = Object.assign({}, list[at], data.change || {})
            GlobalVars.serverPluginList = list
            const seq = logSeq()
            const tasks = root.queue.downloadModel.length
            open(at)
            buy()
            wait(200)
            compare(root.queue.downloadModel.length, tasks, "nothing queued")
            compare(requestsSince(seq).filter(r => r.path.indexOf("/kxt/download/") === 0 || r.path === "/api/uploadfiles").length,
                    0, "nothing transferred")
            const errors = messages.texts("error")
            compare(errors.length, data.message ? 1 : 0)
            if (data.message)
                verify(errors[0].indexOf(data.message) > 0, errors[0])
        }
    }
}
