import QtQuick 2.15
import "../common/Items.js" as Items

// The sample account's plugins: install one with a configuration file from the
// market onto the third server, edit that configuration, delete the plugin, and
// update an outdated plugin of the first server, keeping its old configuration.
JourneyCase {
    name: "Plugins"

    readonly property string placeholderJson: "请输入JSON内容..."

    function openPlugin(plugins, name) {
        click(plugins, name)
        return windowTitled("插件详情页")
    }

    function editorText(win) {
        const editor = waitFor(() => Items.first(win.contentItem, it => it.placeholderText === placeholderJson && it.text !== ""
                                                 && reachable(win, it)), 20000, "no configuration shown")
        return JSON.parse(editor.text)
    }

    function test_install_configure_delete_update() {
        resetSimulator()
        // The third server as its installer left it (see the new-operator journey).
        compare(done(sim.control("/gateway/start", { host: hosts[2] })).status, 200)
        signInDemo()

        click(main, "插件市场(服务端)")
        click(main, hosts[0])
        click(main, hosts[2])
        snap(main, "market")
        const goods = openPlugin(main, "AutoAnnounce")
        click(goods, "购买")
        const queue = windowTitled("下载任务")
        const files = ["AutoAnnounce.jar", "AutoAnnounce.json", "Proj.ifo"]
        files.forEach(file => waitMessage("文件 :AutoAnnounce:" + file + "  已下载并上传至服务器!", 60000))
        tryVerify(() => shownAll(queue, "已完成").length === files.length, 10000, "every task done")
        snap(queue, "transfer-queue")
        pressEsc(queue)
        pressEsc(goods)
        gone(goods)

        openServer(hosts[2])
        click(main, "查看我的服务器插件")
        const plugins = windowTitled("我的服务器插件")
        snap(plugins, "server-plugins")
        let detail = openPlugin(plugins, "AutoAnnounce")
        editorText(detail)
        const edited = { interval: 42, messages: ["journey"] }
        typeInto(detail, placeholderJson, JSON.stringify(edited))
        snap(detail, "configuration")
        click(detail, "保存")
        waitMessage("配置修改成功!")
        gone(detail)
        detail = openPlugin(plugins, "AutoAnnounce")
        compare(editorText(detail), edited)
        click(detail, "删除")
        waitMessage("删除插件成功!", 20000)
        gone(detail)
        tryVerify(function () { return shows(plugins, "AutoAnnounce") === null }, 20000, "the deleted plugin is still listed")
        pressEsc(plugins)
        gone(plugins)

        const before = JSON.parse(serverFile(hosts[0], "/kx_t/OfficialConfig/SignInReward.json"))
        openServer(hosts[0])
        click(main, "查看我的服务器插件")
        const serverOne = windowTitled("我的服务器插件")
        waitText(serverOne, "有新的版本!")
        detail = openPlugin(serverOne, "SignInReward")
        click(detail, "更新")
        gone(detail, 90000)
        tryVerify(function () { return shows(serverOne, "有新的版本!") === null }, 20000, "the update is still offered")
        detail = openPlugin(serverOne, "SignInReward")
        waitText(detail, "Ver:1.3")
        click(detail, "配置文件(旧)")
        compare(editorText(detail), before)
        snap(detail, "updated")
        compare(errors(), [])
    }
}
