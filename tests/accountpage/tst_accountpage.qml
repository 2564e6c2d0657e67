import QtQuick 2.15
import QtTest 1.2
import QmlTool 1.0
import SSHManager 1.0
import "qrc:/MyGlobals" 1.0
import "qrc:/Page"
import "../console/common"
import "../common/Items.js" as Items

// The account page as the home page's menu loads it, and the add-server window it
// opens, against the simulator whose sample servers are the loopback sshd.
SimTestCase {
    name: "AccountPage"
    when: windowShown

    property var window: null

    SignalSpy {
        id: sshSuccess
        target: SSHManager
        signalName: "connectionSuccess"
    }

    function init() {
        resetAndSignIn()
        sshSuccess.clear()
    }

    function cleanup() {
        if (window)
            window.destroy()
        window = null
        // Answers to a test's last requests land in GlobalVars; let them in first.
        wait(300)
        // Host keys a test recorded, or planted, stay with that test.
        QmlTool.wirteFile("known_hosts", "")
        GlobalVars.accServerList = null
        GlobalVars.accInfo = null
    }

    // The page of a signed-in account, reached through the side menu.
    function openPage(username, password) {
        var login = done(sim.platform("/login", { username: username, password: password }))
        compare(login.status, 200, login.text)
        GlobalVars.token = login.json.token
        window = Qt.createComponent("qrc:/main.qml").createObject(null)
        GlobalVars.msg_control = messages
        window.changePage(1)
        tryVerify(function() { return find("sideMenu") !== null })
        find("sideMenu").clickMenu(0, "", find("sideMenu").get(5))
        tryVerify(function() { return GlobalVars.accInfo !== null && Array.isArray(GlobalVars.accServerList) }, 10000)
        waitForRendering(window.contentItem)
        return find("personalTab")
    }

    function find(name) {
        return findChild(window.contentItem, name)
    }

    // The table's items of one name in creation order: the cells of one column, row by row.
    function column(name) {
        return Items.all(find("serverTable"), child => child.objectName === name)
    }

    function cell(name, row) {
        return column(name)[row]
    }

    function click(item) {
        verify(item && item.visible)
        mouseMove(item)
        mouseClick(item)
    }

    function shownStates() {
        return column("stateTag").map(tag => tag.visible ? tag.text : "spinner")
    }

    // One more server for the sample account, before the page shows it.
    function addDemoServer(ip, port, password) {
        var body = { ip: ip, port: String(port), username: sshd.user, password: password }
        compare(done(sim.platform("/quenta/addServer", body, GlobalVars.token)).status, 200)
    }

    function test_account_and_servers_data() {
        return [
            { tag: "sample account", user: "demo", password: "kxt2025", level: "黄金会员", points: 1280, rows: 3 },
            { tag: "account without servers", user: "xiaoyu", password: "xy654321", level: "普通会员", points: 15, rows: 0 }
        ]
    }

    function test_account_and_servers(data) {
        openPage(data.user, data.password)
        compare([find("accountName").text, find("levelCard").label, find("pointsCard").label],
                [data.user, "VIP等级: " + data.level, "贡献点: " + data.points])
        compare(find("serverTable").rowCount, data.rows)
        // The text columns' cells, column after column.
        var texts = column("cellText").map(cell => cell.text)
        GlobalVars.accServerList.forEach(function(server, row) {
            compare([0, 1, 2, 3].map(at => texts[at * data.rows + row]), [server.serverIp, String(server.port), server.userName, server.password])
        })
        compare(shownStates(), new Array(data.rows).fill("未知"))
        if (data.rows > 0) {
            // A filter text is marked where it occurs: here it ends the address.
            find("serverTable").setFilterInput("ip", hosts[2].slice(4))
            var bands = column("filterBand").filter(band => band.visible)
            var shown = column("cellText")[0]
            compare([bands.length, shown.text], [1, hosts[2]])
            fuzzyCompare(bands[0].x + bands[0].width, (shown.width + shown.contentWidth) / 2, 1)
            verify(bands[0].width > 0 && bands[0].width < shown.contentWidth)
        }
    }

    // A second test while one runs is refused, naming the address under test; a
    // removal refetches the list, which shows every state unknown again.
    function test_connection_test_data() {
        return [
            { tag: "server 1 logs in", row: 0, other: 1, shown: ["成功", "未知", "未知"] },
            { tag: "wrong password", row: 1, other: 2, shown: ["未知", "失败", "未知"] }
        ]
    }

    function test_connection_test(data) {
        addDemoServer(hosts[1], sshd.port, "wrong-password")
        var page = openPage("demo", "kxt2025")
        click(cell("testLink", data.row))
        click(cell("testLink", data.other))
        compare(messages.texts("warning"), ["当前正在测试" + hosts[data.row] + "的连通性,请不要重复操作!"])
        compare(shownStates().indexOf("spinner"), data.row)
        tryVerify(function() { return page.testip === -1 }, 15000)
        compare(shownStates(), data.shown)
        click(cell("removeLink", 2))
        tryVerify(function() { return find("serverTable").rowCount === 2 }, 10000)
        compare(shownStates(), ["未知", "未知"])
        var listed = done(sim.platform("/quenta/getServerList", {}, GlobalVars.token)).json.data
        compare(listed.map(function(server) { return server.serverIp }), hosts.slice(0, 2))
    }

    // A server whose key is no longer the recorded one is refused until the operator,
    // shown the new key's fingerprint, trusts it; the attempt is then made again.
    function test_changed_host_key_is_trusted_on_request_data() {
        return [
            { tag: "connection test", fromWindow: false },
            { tag: "add-server window", fromWindow: true }
        ]
    }

    function test_changed_host_key_is_trusted_on_request(data) {
        var entry = "[" + hosts[0] + "]:" + sshd.port
        var stale = "ssh-ed25519 AAAAC3NzaC1lZDI1NTE5AAAAIGQ2y0w3pTg2bmJk7FBBWnd6XTIG2Ssjs3pdPtrmQ6EV"
        verify(QmlTool.wirteFile("known_hosts", entry + " " + stale + "\n"))
        var page = openPage("demo", "kxt2025")
        var owner = page
        if (data.fromWindow) {
            click(cell("editLink", 0))
            owner = page.addServerWindow
            waitForRendering(owner.contentItem)
            click(findChild(owner.contentItem, "submitButton"))
        } else {
            click(cell("testLink", 0))
        }
        var prompt = findChild(owner, "hostKeyPrompt")
        tryVerify(function() { return prompt.opened }, 15000)
        compare(sshSuccess.count, 0)
        verify(/^[0-9.]+:\d+\nSHA256:[A-Za-z0-9+\/]{43}$/.test(findChild(prompt, "fingerprintText").text),
               findChild(prompt, "fingerprintText").text)
        click(findChild(prompt, "trustButton"))
        tryVerify(function() { return sshSuccess.count === 1 }, 15000)
        verify(QmlTool.readFile("known_hosts").indexOf(stale) === -1)
        if (data.fromWindow)
            tryVerify(function() { return messages.texts("success").indexOf("新增服务器成功") !== -1 }, 40000)
        else
            tryVerify(function() { return shownStates()[0] === "成功" }, 10000)
    }

    // A test running when the window opens never hears of the window's shell, and the
    // window does not take the test's shell for its own attempt.
    function test_open_window_owns_the_shell_events() {
        var page = openPage("demo", "kxt2025")
        page.testServer(0)
        page.openAddServerWindow(null)
        tryVerify(function() { return sshSuccess.count === 1 }, 15000)
        wait(300)
        click(cell("testLink", 1))
        click(cell("removeLink", 1))
        click(cell("editLink", 1))
        compare(shownStates(), ["spinner", "未知", "未知"])
        compare([page.addServerWindow.state, page.addServerWindow.mode], [0, 0])
        compare(messages.shown, [])
    }

    function test_failed_login_returns_to_editing_data() {
        return [
            { tag: "edited row with port 2222", port: 2222, password: "" },
            { tag: "wrong password", port: 0, password: "wrong-password" }
        ]
    }

    function test_failed_login_returns_to_editing(data) {
        var port = data.port || sshd.port
        var password = data.password || sshd.password
        addDemoServer(hosts[0], port, password)
        var page = openPage("demo", "kxt2025")
        click(cell("editLink", 0))
        var addWindow = page.addServerWindow
        waitForRendering(addWindow.contentItem)
        var input = function(name) { return findChild(addWindow.contentItem, name) }
        compare([addWindow.mode, input("ipInput").text, input("portInput").text, input("passwordInput").text],
                [1, hosts[0], String(port), password])
        var seq = logSeq()
        click(input("submitButton"))
        compare(input("submitButton").text, "修改")
        verify(input("workingSpinner").visible && input("ipInput").readOnly, "nothing changes while it works")
        tryVerify(function() { return addWindow.state === 0 }, 15000)
        compare(messages.shown, [{ kind: "error", text: "连接服务器失败,请检查您填写的信息!" }])
        verify(input("submitButton").visible)
        verify(!input("portInput").readOnly)
        compare(requestsSince(seq, "/quenta/addServer"), [])
    }

    Component {
        id: addWindowComponent
        Window_AddServer {}
    }

    function test_marker_data() {
        return [
            { tag: "echoed command line", chunks: ["$ echo Tolvaren_Service_Success >/dev/null\r\n$ "], completes: false },
            { tag: "marker split over two chunks", chunks: ["正在安装...\r\nTolvaren_Ser", "vice_Success\r\n$ "], completes: true },
            { tag: "echo line then the installer's line", chunks: ["echo Tolvaren_Service_Success\r\nTolvaren_Service_Success\r\n"], completes: true },
            { tag: "line not ended yet", chunks: ["Tolvaren_Service_Success"], completes: false },
            { tag: "echo split from its marker", chunks: ["$ ec", "ho Tolvaren_Service_Success\r\n"], completes: false }
        ]
    }

    function test_marker(data) {
        var addWindow = createTemporaryObject(addWindowComponent, null, { serverIP: hosts[0], state: 1 })
        data.chunks.forEach(function(chunk) { addWindow.consoleOutput(chunk) })
        compare(messages.texts("success"), data.completes ? ["新增服务器成功"] : [])
        compare(addWindow.visible, !data.completes)
    }

    function test_installer_command_data() {
        return [
            { tag: "shell characters", url: "https://h/$(id);`w`&x",
              command: "curl -O -k 'https://h/$(id);`w`&x/quenta/download/sh';chmod +x sh;./sh" },
            { tag: "single quote", url: "https://h/'; rm -rf ~ #",
              command: "curl -O -k 'https://h/'\\''; rm -rf ~ #/quenta/download/sh';chmod +x sh;./sh" }
        ]
    }

    function test_installer_command(data) {
        var address = GlobalVars.server_url
        GlobalVars.server_url = data.url
        var command = createTemporaryObject(addWindowComponent, null).installerCommand()
        GlobalVars.server_url = address
        compare(command, data.command)
    }

    function test_port_field_data() {
        return [
            { tag: "highest port", typed: "65535", port: "65535" },
            { tag: "leading zeros", typed: "0080", port: "80" },
            { tag: "emptied", typed: "", port: "0" }
        ]
    }

    function test_port_field(data) {
        var addWindow = createTemporaryObject(addWindowComponent, null)
        var input = findChild(addWindow.contentItem, "portInput")
        Items.retype(input, data.typed)
        compare(addWindow.serverPort, data.port)
        compare(input.text, data.port)
        // Typing is refused where the validator does not accept what it would make.
        ;["65536", "-1", "2a"].forEach(function(text) {
            input.text = text
            verify(!input.acceptableInput, text)
        })
    }
}
