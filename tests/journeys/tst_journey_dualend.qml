import QtQuick 2.15
import QmlTool 1.0
import Desktop 1.0

// Dual-end plugins of the sample account: bought for a server whose address is only
// data to the platform, refused for a loopback server, switched on and off, and their
// import package downloaded to a folder.
JourneyCase {
    name: "DualEnd"

    // A documentation address: registered with the platform directly, since the
    // add-server window would connect to it. Nothing here ever connects to it.
    readonly property string faraway: "203.0.113.7"

    function test_buy_switch_and_download() {
        resetSimulator()
        const token = platform("/login", { username: "demo", password: "kxt2025" }).token
        platform("/quenta/addServer", { ip: faraway, port: "22", username: "root", password: "unused" }, token)
        const points = platform("/quenta/getInfo", {}, token).data.userpoints
        signInDemo()

        click(main, "插件市场(双端)")
        click(main, hosts[0])
        click(main, faraway)
        click(main, "MountRace")
        let goods = windowTitled("插件详情页")
        const seq = logSeq()
        click(goods, "购买")
        gone(goods)
        compare(waitForRequest(seq, "/quenta/buy").body, { projectName: "MountRace", ip: faraway })
        const bought = platform("/quenta/getUserProList", { ip: faraway }, token).data.MountRace
        waitMessage("购买成功!\t到期时间: " + bought.endTime)
        compare(platform("/quenta/getInfo", {}, token).data.userpoints, points - 20)

        click(main, faraway)
        click(main, hosts[0])
        click(main, "MountRace")
        goods = windowTitled("插件详情页")
        click(goods, "购买")
        waitMessage("暂不支持单机服务器使用双端插件!")
        gone(goods)
        compare(requestsSince(seq, "/quenta/buy").length, 1)

        openServer(hosts[0])
        click(main, "查看我的服务器插件")
        const plugins = windowTitled("我的服务器插件")
        click(plugins, "双端插件")
        click(plugins, "PetSystem")
        const owned = windowTitled("插件详情页")
        const switches = [{ from: "关闭插件", open: 1 }, { from: "开启插件", open: 0 }]
        switches.forEach(function (step) {
            const before = logSeq()
            click(owned, step.from)
            compare(waitForRequest(before, "/quenta/setproopen").body, { ip: hosts[0], projectName: "PetSystem", open: step.open })
            tryVerify(function () {
                return platform("/quenta/getUserProList", { ip: hosts[0] }, token).data.PetSystem.open === step.open
            }, 10000, "the platform did not switch the plugin")
        })

        click(owned, "下载插件导入包")
        const picker = windowTitled("请选择保存路径")
        const folder = Desktop.freshFolder("import")
        typeInto(picker, folder, folder, function (it) { return it.placeholderText !== undefined && it.iconSource !== undefined })
        keyClick(Qt.Key_Return)
        click(picker, "确定")
        const saved = folder + "/双端插件-PetSystem导入包.zip"
        waitMessage(saved + "已下载完成!", 30000)
        compare(QmlTool.readFile(saved).slice(0, 2), "PK")
        compare(errors(), ["暂不支持单机服务器使用双端插件!"])
    }
}
