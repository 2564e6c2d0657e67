import QtQuick 2.15
import QtTest 1.2
import "qrc:/MyGlobals" 1.0
import "../common"

SimTestCase {
    name: "GlobalVars"

    property var account: null
    readonly property string probeIp: "10.9.8.7"

    function initTestCase() {
        account = freshAccount()
    }

    function init() {
        GlobalVars.msg_control = messages
        GlobalVars.server_url = sim.baseUrl
        GlobalVars.token = account.token
        messages.clear()
    }

    // Each operation: the request it sends (`body`, `host` for a gateway) and the
    // message it shows when that request fails (`text`).
    function operations() {
        var gw = hosts[0]
        var server = { ip: probeIp, port: "22", username: "root", password: "pw" }
        return [
            { tag: "getAllVersion", call: function() { GlobalVars.getAllVersion() }, path: "/quenta/getversion", body: {}, text: "获取版本失败!" },
            { tag: "getShopAllProject", call: function() { GlobalVars.getShopAllProject() }, path: "/kxt/getlist", body: {}, text: "获取服务器插件列表失败!" },
            { tag: "getShopAllProjectex", call: function() { GlobalVars.getShopAllProjectex() }, path: "/quenta/getProjectInfoList", body: {}, text: "获取服务器双端插件列表失败!" },
            { tag: "getAllAdvertisement", call: function() { GlobalVars.getAllAdvertisement(function() {}) }, path: "/kxt/getadvertisement", body: {}, text: "获取服务器广告列表失败!" },
            { tag: "getAccServerList", call: function() { GlobalVars.getAccServerList() }, path: "/quenta/getServerList", body: {}, text: "获取账号服务器列表失败!" },
            { tag: "getAccInfo", call: function() { GlobalVars.getAccInfo() }, path: "/quenta/getInfo", text: "获取账号信息失败!" },
            { tag: "buyExPlugin", call: function() { GlobalVars.buyExPlugin("GuildWar", probeIp) }, path: "/quenta/buy", body: { projectName: "GuildWar", ip: probeIp }, text: "购买失败!" },
            { tag: "addServer", call: function() { GlobalVars.addServer(server) }, path: "/quenta/addServer", body: server, text: "操作服务器失败!" },
            { tag: "removeServer", call: function() { GlobalVars.removeServer(probeIp) }, path: "/quenta/deleteServer", body: { ip: probeIp }, text: "删除服务器失败!" },
            { tag: "getServerExPlugins", call: function() { GlobalVars.getServerExPlugins(probeIp) }, path: "/quenta/getUserProList", body: { ip: probeIp } },
            { tag: "setServerExPluginsEnable", call: function() { GlobalVars.setServerExPluginsEnable(probeIp, "GuildWar", 0) }, path: "/quenta/setproopen", body: { ip: probeIp, projectName: "GuildWar", open: 0 } },
            { tag: "sendPostRequestByIp without data", call: function() { GlobalVars.sendPostRequestByIp("http://" + gw + ":65170", "/api/hello", null, function() {}) }, path: "/api/hello", body: "", host: gw },
            { tag: "getServerPlugins", call: function() { GlobalVars.getServerPlugins(gw) }, path: "/api/getallplugins", body: {}, host: gw },
            { tag: "getServerPluginConfig", call: function() { GlobalVars.getServerPluginConfig(gw, "ShellProbe.json", function() {}) }, path: "/api/getpluginconfig", body: { filename: "ShellProbe.json" }, host: gw },
            { tag: "backupServerPluginConfig", call: function() { GlobalVars.backupServerPluginConfig(gw, "ShellProbe.json", function() {}) }, path: "/api/backuppluginconfig", body: { filename: "ShellProbe.json" }, host: gw },
            { tag: "setServerPluginConfig", call: function() { GlobalVars.setServerPluginConfig(gw, "ShellProbe.json", "{}") }, path: "/api/setpluginconfig", host: gw, text: "配置修改失败!" },
            { tag: "reqsupportlink", call: function() { GlobalVars.reqsupportlink(1, 200) }, path: "/zf/create", text: "请求失败!请求失败，状态码: 500", statusOnly: true }
        ]
    }

    // The platform gets the token once there is one; a gateway never does.
    function test_requests_data() {
        return operations().filter(function(row) { return row.body !== undefined }).concat([
            Object.assign({}, operations()[0], { tag: "getAllVersion signed out", signedOut: true })])
    }

    function test_requests(data) {
        if (data.signedOut)
            GlobalVars.token = ""
        var seq = logSeq()
        data.call()
        var request = waitForRequest(seq, data.path)
        compare([request.method, request.body, request.headers["Authorization"]],
                ["POST", data.body, data.host || data.signedOut ? undefined : account.token])
        verify(request.headers["Content-Type"].indexOf("application/json") === 0, request.headers["Content-Type"])
        if (data.host)
            compare(request.host, data.host)
    }

    // Each operation reports its own failure, whether the platform answered with an
    // error status or with a 200 whose body is not JSON.
    function test_failure_messages_data() {
        var table = []
        operations().filter(function(row) { return row.text }).forEach(function(row) {
            table.push(Object.assign({}, row, { tag: row.tag + " status 500", fault: { status: 500 } }))
            if (!row.statusOnly)
                table.push(Object.assign({}, row, { tag: row.tag + " not JSON", fault: { nonjson: true } }))
        })
        return table
    }

    function test_failure_messages(data) {
        injectFault(Object.assign({ path: data.path, host: data.host || null, times: 1 }, data.fault))
        data.call()
        tryVerify(function() { return messages.shown.length > 0 }, 10000)
        wait(100)
        compare(messages.texts(), [data.text])
        compare(messages.shown[0].kind, "error")
    }

    // The helper's callback: an error naming status 0 when nothing answered, or the
    // body that is not JSON, which is handed on.
    function test_callback_data() {
        return [
            { tag: "not JSON", fault: { nonjson: true }, error: "请求失败，响应不是有效的JSON" },
            { tag: "unreachable", url: "https://127.0.0.1:1", error: "请求失败，状态码: 0" }
        ]
    }

    function test_callback(data) {
        if (data.fault)
            injectFault(Object.assign({ path: "/quenta/getInfo", times: 1 }, data.fault))
        GlobalVars.server_url = data.url || sim.baseUrl
        var result = null
        GlobalVars.sendPostRequest("/quenta/getInfo", {}, function(error, answer) { result = { error: error, answer: answer } })
        tryVerify(function() { return result !== null }, 10000)
        compare(result.error && result.error.message, data.error)
        if (data.fault)
            verify(typeof result.answer === "string" && result.answer.length > 0, "the raw body is handed on")
    }

    // The dual-end catalogue is named by its keys before anyone hears of it; a name given
    // twice keeps its last entry; a failure clears both forms of the plugin catalogue.
    function test_catalogue_maps() {
        GlobalVars.serverPluginexMap = null
        var namedInNotification = null
        var onDualChanged = function() {
            var map = GlobalVars.serverPluginexMap
            namedInNotification = !!map && Object.keys(map).length > 0 && Object.keys(map).every(function(k) { return map[k].ProjectName === k })
        }
        GlobalVars.serverPluginexMapChanged.connect(onDualChanged)
        GlobalVars.getShopAllProjectex()
        tryVerify(function() { return GlobalVars.serverPluginexMap !== null }, 10000)
        GlobalVars.serverPluginexMapChanged.disconnect(onDualChanged)
        compare(namedInNotification, true)

        var map = GlobalVars.mapByProjectName([
            { ProjectName: "A", ProjectVersion: 1 }, { ProjectName: "B", ProjectVersion: 1 }, { ProjectName: "A", ProjectVersion: 2 }])
        compare([Object.keys(map).sort(), map.A.ProjectVersion], [["A", "B"], 2])
        compare(GlobalVars.mapByProjectName(undefined), {})

        GlobalVars.serverPluginList = null
        GlobalVars.getShopAllProject()
        tryVerify(function() { return GlobalVars.serverPluginList !== null }, 10000)
        injectFault({ path: "/kxt/getlist", status: 503, times: 1 })
        GlobalVars.getShopAllProject()
        tryVerify(function() { return GlobalVars.serverPluginList === null }, 10000)
        compare(GlobalVars.serverPluginMap, null)
    }

    // This runner is built away from the updater, so a newer version must leave
    // the process running and say so; other versions must not try at all.
    function test_version_check_data() {
        return [
            { tag: "2.9 is newer", toolVer: "2.9", messages: ["无法启动更新程序"] },
            { tag: "2.9 as a number", toolVer: 2.9, messages: ["无法启动更新程序"] },
            { tag: "2.8 is the same", toolVer: "2.8", messages: [] },
            { tag: "2.10 reads as 2.1", toolVer: "2.10", messages: [] },
            { tag: "not a number", toolVer: "beta", messages: [] },
            { tag: "missing", toolVer: undefined, messages: [] }
        ]
    }

    function test_version_check(data) {
        GlobalVars.all_Version = { toolVer: data.toolVer }
        GlobalVars.checkToolVersion()
        compare(messages.texts("error"), data.messages)
    }
}
