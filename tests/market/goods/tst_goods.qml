import QtQuick 2.15
import QtTest 1.2
import QmlTool 1.0
import "qrc:/MyGlobals" 1.0
import ".."

MarketSession {
    name: "GoodsInstall"
    when: windowShown

    function init() {
        startSession()
    }

    function open(name) {
        return openDetail("Window_PluginInfo_Goods.qml", GlobalVars.serverPluginList.findIndex(entry => entry.ProjectName === name))
    }

    function transfers(seq) {
        return requestsSince(seq).filter(r => r.path.startsWith("/kxt/download/") || r.path === "/api/uploadfiles")
    }

    function test_install_runs_files_in_reverse_into_their_folders() {
        const host = fixture.sim.gateway_hosts[1]
        GlobalVars.selectServer = 1
        const seq = logSeq()
        const tasks = queue.downloadModel.length
        compare(open("SignInReward").p_price, 20)
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
            compare(QmlTool.readFile(fixture.sim.roots[fixture.sim.gateway_hosts[2]] + path), "null", path)
        }
        compare(messages.texts("success")[3], "文件 :SignInReward:Proj.ifo  已下载并上传至服务器!")
        verify(detail.visible, "the window stays open")
        verify(gateway(host, "/api/getallplugins").some(entry => entry.ProjectName === "SignInReward"))
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
