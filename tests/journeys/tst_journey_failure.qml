import QtQuick 2.15

// The platform stops answering halfway through a plugin install: the tasks it fails
// turn red, those done stay done, the console keeps working, and once the platform
// is back the same install goes through.
JourneyCase {
    name: "Failure"

    function test_platform_fails_during_an_install() {
        resetSimulator()
        signInDemo()
        click(main, "插件市场(服务端)")
        click(main, "AntiCheatLite")
        let goods = windowTitled("插件详情页")
        // The second file is held back long enough to take the platform away behind it.
        injectFault({ path: "/kxt/download/AntiCheatLite:checks.yml", delay_ms: 3000, times: 1 })
        click(goods, "购买")
        const queue = windowTitled("下载任务")
        const finished = function (file) { return "文件 :AntiCheatLite:" + file + "  已下载并上传至服务器!" }
        waitMessage(finished("whitelist.txt"), 30000)
        injectFault({ path: "/*", status: 503 })
        waitMessage(finished("checks.yml"), 30000)
        tryVerify(function () { return shownAll(queue, "失败！").length === 3 }, 30000, "three failed tasks")
        compare(shownAll(queue, "已完成").length, 2)
        const folder = "/kx_t/OfficialProject/AntiCheatLite/"
        verify(serverFile(hosts[0], folder + "checks.yml") !== "null", "a file done before the failure")
        compare(serverFile(hosts[0], folder + "Proj.ifo"), "null")

        click(main, "更新日志")
        waitText(main, "开放双端插件栏目!")
        compare(done(sim.control("/faults/clear")).status, 200)
        click(main, "插件市场(服务端)")
        click(main, "AntiCheatLite")
        goods = windowTitled("插件详情页")
        click(goods, "购买")
        const files = ["whitelist.txt", "checks.yml", "AntiCheatLite.jar", "AntiCheatLite.json", "Proj.ifo"]
        files.forEach(function (file, at) { waitMessage(finished(file), 60000, at < 2 ? 2 : 1) })
        compare(shownAll(queue, "失败！").length, 3)
        compare(JSON.parse(serverFile(hosts[0], folder + "Proj.ifo")).ProjectName, "AntiCheatLite")
    }
}
