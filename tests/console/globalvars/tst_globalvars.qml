import QtQuick 2.15
import QtTest 1.2
import "qrc:/MyGlobals" 1.0
import "../common"

SimTestCase {
    name: "GlobalVars"

    property MessageRecorder messages: MessageRecorder {}
    property var account: null
    readonly property string probeIp: "10.9.8.7"

    function gatewayBase(host) {
        return "http://" + host + ":65170"
    }

    function initTestCase() {
        account = freshAccount()
    }

    function init() {
        GlobalVars.msg_control = messages
        GlobalVars.server_url = sim.baseUrl
        GlobalVars.token = account.token
        messages.clear()
    }

    function test_authorization_header_follows_the_token() {
        GlobalVars.token = ""
        var seq = logSeq()
        GlobalVars.getAllVersion()
        var before = waitForRequest(seq, "/quenta/getversion")
        verify(!before.headers.hasOwnProperty("Authorization"), JSON.stringify(before.headers))

        GlobalVars.token = account.token
        seq = logSeq()
        GlobalVars.getAccInfo()
        compare(waitForRequest(seq, "/quenta/getInfo").headers["Authorization"], account.token)

        GlobalVars.getServerPlugins(sim.gatewayHosts[0])
        var gateway = waitForRequest(seq, "/api/getallplugins")
        verify(!gateway.headers.hasOwnProperty("Authorization"), "a gateway request carried the token")
    }

    function test_request_bodies_data() {
        var gw = fixture.sim.gateway_hosts[0]
        return [
            { tag: "getAllVersion", call: function() { GlobalVars.getAllVersion() }, path: "/quenta/getversion", body: {} },
            { tag: "getShopAllProject", call: function() { GlobalVars.getShopAllProject() }, path: "/kxt/getlist", body: {} },
            { tag: "getShopAllProjectex", call: function() { GlobalVars.getShopAllProjectex() }, path: "/quenta/getProjectInfoList", body: {} },
            { tag: "getAllAdvertisement", call: function() { GlobalVars.getAllAdvertisement(function() {}) }, path: "/kxt/getadvertisement", body: {} },
            { tag: "getAccServerList", call: function() { GlobalVars.getAccServerList() }, path: "/quenta/getServerList", body: {} },
            { tag: "buyExPlugin", call: function() { GlobalVars.buyExPlugin("NoSuchPlugin", probeIp) }, path: "/quenta/buy", body: { projectName: "NoSuchPlugin", ip: probeIp } },
            { tag: "addServer", call: function() { GlobalVars.addServer({ ip: probeIp, port: "22", username: "root", password: "pw" }) }, path: "/quenta/addServer", body: { ip: probeIp, port: "22", username: "root", password: "pw" } },
            { tag: "removeServer", call: function() { GlobalVars.removeServer(probeIp) }, path: "/quenta/deleteServer", body: { ip: probeIp } },
            { tag: "getServerExPlugins", call: function() { GlobalVars.getServerExPlugins(probeIp) }, path: "/quenta/getUserProList", body: { ip: probeIp } },
            { tag: "setServerExPluginsEnable", call: function() { GlobalVars.setServerExPluginsEnable(probeIp, "GuildWar", 0) }, path: "/quenta/setproopen", body: { ip: probeIp, projectName: "GuildWar", open: 0 } },
            { tag: "getServerPlugins", call: function() { GlobalVars.getServerPlugins(gw) }, path: "/api/getallplugins", body: {}, host: gw },
            { tag: "getServerPluginConfig", call: function() { GlobalVars.getServerPluginConfig(gw, "ShellProbe.json", function() {}) }, path: "/api/getpluginconfig", body: { filename: "ShellProbe.json" }, host: gw },
            { tag: "backupServerPluginConfig", call: function() { GlobalVars.backupServerPluginConfig(gw, "ShellProbe.json", function() {}) }, path: "/api/backuppluginconfig", body: { filename: "ShellProbe.json" }, host: gw }
        ]
    }

    function test_request_bodies(data) {
        var seq = logSeq()
        data.call()
        var request = waitForRequest(seq, data.path)
        compare(request.method, "POST")
        compare(request.body, data.body)
        verify(request.headers["Content-Type"].indexOf("application/json") === 0, request.headers["Content-Type"])
        if (data.host)
            compare(request.host, data.host)
    }

    function test_sendPostRequestByIp_without_data_sends_no_body() {
        var seq = logSeq()
        var answered = false
        GlobalVars.sendPostRequestByIp(gatewayBase(sim.gatewayHosts[0]), "/api/hello", null, function() { answered = true })
        var request = waitForRequest(seq, "/api/hello")
        verify(request.body === undefined || request.body === "" || request.body === null, JSON.stringify(request.body))
        tryVerify(function() { return answered })
    }

    // Each operation reports its own failure, whether the platform answered with an
    // error status or with a 200 whose body is not JSON.
    function test_failure_messages_data() {
        var gw = fixture.sim.gateway_hosts[0]
        var rows = [
            { tag: "getAllVersion", call: function() { GlobalVars.getAllVersion() }, path: "/quenta/getversion", text: "获取版本失败!" },
            { tag: "getShopAllProject", call: function() { GlobalVars.getShopAllProject() }, path: "/kxt/getlist", text: "获取服务器插件列表失败!" },
            { tag: "getShopAllProjectex", call: function() { GlobalVars.getShopAllProjectex() }, path: "/quenta/getProjectInfoList", text: "获取服务器双端插件列表失败!" },
            { tag: "getAllAdvertisement", call: function() { GlobalVars.getAllAdvertisement(function() { fail("the callback ran after a failure") }) }, path: "/kxt/getadvertisement", text: "获取服务器广告列表失败!" },
            { tag: "buyExPlugin", call: function() { GlobalVars.buyExPlugin("GuildWar", probeIp) }, path: "/quenta/buy", text: "购买失败!" },
            { tag: "getAccServerList", call: function() { GlobalVars.getAccServerList() }, path: "/quenta/getServerList", text: "获取账号服务器列表失败!" },
            { tag: "getAccInfo", call: function() { GlobalVars.getAccInfo() }, path: "/quenta/getInfo", text: "获取账号信息失败!" },
            { tag: "removeServer", call: function() { GlobalVars.removeServer(probeIp) }, path: "/quenta/deleteServer", text: "删除服务器失败!" },
            { tag: "addServer", call: function() { GlobalVars.addServer({ ip: probeIp, port: "22", username: "u", password: "p" }) }, path: "/quenta/addServer", text: "操作服务器失败!" },
            { tag: "setServerPluginConfig", call: function() { GlobalVars.setServerPluginConfig(gw, "ShellProbe.json", "{}") }, path: "/api/setpluginconfig", host: gw, text: "配置修改失败!" },
            { tag: "reqsupportlink", call: function() { GlobalVars.reqsupportlink(1, 200) }, path: "/zf/create", text: "请求失败!请求失败，状态码: 500", statusOnly: true }
        ]
        var table = []
        rows.forEach(function(row) {
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

    function test_callback_errors_carry_the_status_or_the_json_failure() {
        var results = []
        injectFault({ path: "/quenta/getInfo", status: 401, times: 1 })
        GlobalVars.sendPostRequest("/quenta/getInfo", {}, function(error, answer) { results.push({ error: error, answer: answer }) })
        tryVerify(function() { return results.length === 1 })
        compare(results[0].error.message, "请求失败，状态码: 401")
        compare(String(results[0].error), "请求失败，状态码: 401")

        injectFault({ path: "/quenta/getInfo", nonjson: true, times: 1 })
        GlobalVars.sendPostRequest("/quenta/getInfo", {}, function(error, answer) { results.push({ error: error, answer: answer }) })
        tryVerify(function() { return results.length === 2 })
        compare(results[1].error.message, "请求失败，响应不是有效的JSON")
        verify(typeof results[1].answer === "string" && results[1].answer.length > 0, "the raw body is handed on")

        GlobalVars.sendPostRequest("/quenta/getInfo", {}, function(error, answer) { results.push({ error: error, answer: answer }) })
        tryVerify(function() { return results.length === 3 })
        compare(results[2].error, null)
        compare(results[2].answer.data.username, account.username)
    }

    function test_unreachable_platform_reports_status_zero() {
        GlobalVars.server_url = "https://127.0.0.1:1"
        var result = null
        GlobalVars.sendPostRequest("/quenta/getversion", {}, function(error) { result = error })
        tryVerify(function() { return result !== null }, 10000)
        compare(result.message, "请求失败，状态码: 0")
    }

    function test_catalogue_maps() {
        GlobalVars.serverPluginList = null
        GlobalVars.serverPluginexMap = null
        var namedInNotification = null
        var onDualChanged = function() {
            var map = GlobalVars.serverPluginexMap
            namedInNotification = !!map && Object.keys(map).length > 0 && Object.keys(map).every(function(k) { return map[k].ProjectName === k })
        }
        GlobalVars.serverPluginexMapChanged.connect(onDualChanged)
        GlobalVars.getShopAllProject()
        GlobalVars.getShopAllProjectex()
        tryVerify(function() { return GlobalVars.serverPluginList !== null && GlobalVars.serverPluginexMap !== null }, 10000)

        var list = GlobalVars.serverPluginList
        verify(list.length > 0)
        compare(Object.keys(GlobalVars.serverPluginMap).sort(), list.map(function(e) { return e.ProjectName }).sort())
        list.forEach(function(entry) { compare(GlobalVars.serverPluginMap[entry.ProjectName].ProjectVersion, entry.ProjectVersion) })
        compare(namedInNotification, true)

        var dual = done(sim.platform("/quenta/getProjectInfoList", {}, account.token)).json.data
        compare(Object.keys(GlobalVars.serverPluginexMap).sort(), Object.keys(dual).sort())

        var map = GlobalVars.mapByProjectName([
            { ProjectName: "A", ProjectVersion: 1 }, { ProjectName: "B", ProjectVersion: 1 }, { ProjectName: "A", ProjectVersion: 2 }])
        compare(Object.keys(map).sort(), ["A", "B"])
        compare(map.A.ProjectVersion, 2)
        compare(Object.keys(GlobalVars.mapByProjectName(undefined)).length, 0)
        GlobalVars.serverPluginexMapChanged.disconnect(onDualChanged)
    }

    function test_failed_catalogue_clears_both_properties() {
        GlobalVars.getShopAllProject()
        tryVerify(function() { return GlobalVars.serverPluginMap !== null }, 10000)
        injectFault({ path: "/kxt/getlist", status: 503, times: 1 })
        GlobalVars.getShopAllProject()
        tryVerify(function() { return GlobalVars.serverPluginList === null }, 10000)
        compare(GlobalVars.serverPluginMap, null)
    }

    function test_adding_and_removing_a_server_refreshes_the_list() {
        var ip = "10.20.30." + (accountCounter + 40)
        GlobalVars.accServerList = null
        GlobalVars.addServer({ ip: ip, port: "22", username: "root", password: "pw" })
        tryVerify(function() { return Array.isArray(GlobalVars.accServerList) && GlobalVars.accServerList.some(function(s) { return s.serverIp === ip }) }, 10000)
        compare(messages.texts(), ["操作服务器成功!"])
        GlobalVars.removeServer(ip)
        tryVerify(function() { return !GlobalVars.accServerList.some(function(s) { return s.serverIp === ip }) }, 10000)
        compare(messages.texts(), ["操作服务器成功!", "删除服务器成功!"])
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
