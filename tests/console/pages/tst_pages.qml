import QtQuick 2.15
import QtTest 1.2
import HuskarUI.Basic 1.0
import QmlTool 1.0
import "qrc:/MyGlobals" 1.0
import "../common"
import "../../common/Items.js" as Items

// The main window as the console shows it: login page, sign-up, service lines,
// setting.ini, the home page and its menu.
SimTestCase {
    name: "Pages"
    when: windowShown

    property var window: null
    property var defaultLines: null

    function initTestCase() {
        defaultLines = GlobalVars.serverLines
    }

    function init() {
        QmlTool.wirteFile("setting.ini", "")
        messages.clear()
    }

    function cleanup() {
        if (window)
            window.destroy()
        window = null
        // Answers to a test's last requests land in GlobalVars; let them in before the reset.
        wait(300)
        HusTheme.isDark = false
        GlobalVars.serverLines = defaultLines
        GlobalVars.token = ""
        GlobalVars.accServerList = null
    }

    function openWindow() {
        window = Qt.createComponent("qrc:/main.qml").createObject(null)
        verify(window, "the main window did not load")
        // Pointer events reach a window once it is on screen.
        settle()
        tryVerify(function() { return page("loginPage") !== null })
        GlobalVars.msg_control = messages
    }

    // Positioners place their items when the next frame is prepared; clicks aimed
    // before that would land where the items used to be.
    function settle() {
        window.update()
        verify(waitForRendering(window.contentItem), "the main window did not draw")
    }

    function page(name) {
        return findChild(window.contentItem, name)
    }

    // A shown item of the main window, once the window has laid it out.
    function control(name) {
        settle()
        var item = page(name)
        verify(item && item.visible, name)
        return item
    }

    function typeInto(inputName, text) {
        var input = control(inputName)
        mouseClick(input)
        Items.retype(input, text)
        compare(input.text, text)
    }

    function press(buttonName) {
        var button = control(buttonName)
        // The pointer travels to the button, leaving whatever it hovered (and its tooltip).
        mouseMove(button)
        mouseClick(button)
    }

    function submit(username, password) {
        typeInto("accountInput", username)
        typeInto("passwordInput", password)
        press("mainButton")
    }

    // The first service line is the default platform; the version check goes to it
    // at once, and a line chosen later carries every later request.
    function test_service_lines() {
        GlobalVars.serverLines = [
            { label: "高速线路", value: sim.baseUrl },
            { label: "备用线路", value: sim.baseUrl + "/backup-line" }
        ]
        var seq = logSeq()
        openWindow()
        compare(window.title, "KX_T服务端可视化后台管理工具 Ver.2.8")
        compare([page("lineSelect").currentText, GlobalVars.server_url], ["高速线路", sim.baseUrl])
        waitForRequest(seq, "/quenta/getversion")
        seq = logSeq()
        page("lineSelect").currentIndex = 1
        compare(GlobalVars.server_url, sim.baseUrl + "/backup-line")
        waitForRequest(seq, "/backup-line/quenta/getversion")
        submit("nobody", "")
        waitForRequest(seq, "/backup-line/login")
        compare(requestsSince(seq, "/login").length, 0)
    }

    // A refused login or sign-up shows why and stays where it is, signed out.
    function test_refusals_data() {
        return [
            { tag: "wrong password", signUp: false, message: function() { return "请求失败，状态码: 401" } },
            { tag: "name taken", signUp: true, message: function(refusal) { return "注册失败：" + refusal.text } }
        ]
    }

    function test_refusals(data) {
        var account = freshAccount()
        // What the platform says about a name that is taken, straight from it.
        var refusal = done(sim.platform("/register", { username: account.username, password: "another-pw", qq: "x" }))
        compare(refusal.status, 400)
        openWindow()
        if (data.signUp) {
            press("modeButton")
            typeInto("phraseInput", "x")
        }
        submit(account.username, "another-pw")
        tryVerify(function() { return messages.shown.length > 0 }, 10000)
        compare(messages.shown, [{ kind: "error", text: data.message(refusal) }])
        compare([page("loginPage").mode, page("homePage"), GlobalVars.token], [data.signUp ? 1 : 0, null, ""])
    }

    // Enter in the last input submits the form in either mode (what the input's Return
    // key emits; key events would go to whichever window has the focus); a sign-up
    // leaves its keys in the login form.
    function test_sign_up_then_log_in_with_enter() {
        var name = uniqueName("shellnew")
        var seq = logSeq()
        openWindow()
        press("modeButton")
        typeInto("accountInput", name)
        typeInto("passwordInput", "pw-123456")
        typeInto("phraseInput", "phrase")
        page("phraseInput").accepted()
        compare(waitForRequest(seq, "/register").body, { username: name, password: "pw-123456", qq: "phrase" })
        tryCompare(page("loginPage"), "mode", 0, 10000)
        verify(!page("phraseInput").visible)
        page("passwordInput").accepted()
        tryVerify(function() { return page("homePage") !== null }, 10000)
        compare(waitForRequest(seq, "/login").body, { username: name, password: "pw-123456" })
        compare(messages.texts("error"), [])
        compare(GlobalVars.page_home, page("homePage"))
    }

    // After login the home page fetches the catalogues, the servers and the profile at
    // once, with the token the login answer gave (the profile is the account's own);
    // the server menu then follows the account's server list.
    function test_home_page() {
        var account = freshAccount()
        openWindow()
        var seq = logSeq()
        submit(account.username, account.password)
        tryVerify(function() { return page("homePage") !== null }, 10000)
        ;["/kxt/getlist", "/quenta/getProjectInfoList", "/quenta/getServerList", "/quenta/getInfo"].forEach(function(path) {
            waitForRequest(seq, path)
        })
        tryVerify(function() { return GlobalVars.accInfo !== null && GlobalVars.serverPluginList !== null }, 10000)
        compare(GlobalVars.accInfo.username, account.username)
        compare(String(page("tabLoader").source).split("/").pop(), "Tab_home.qml")
        verify(GlobalVars.downlad_quest_window !== null, "the transfer queue window was not created")
        verify(!GlobalVars.downlad_quest_window.visible, "the transfer queue window shows at start")

        var servers = function() { return page("sideMenu").get(2).menuChildren }
        compare(page("sideMenu").get(2).label, "我的服务器")
        tryVerify(function() { return Array.isArray(GlobalVars.accServerList) }, 10000)
        compare(servers().length, 0)
        GlobalVars.addServer({ ip: "10.0.3.1", port: "2222", username: "ops", password: "pw1" })
        tryVerify(function() { return servers().length === 1 }, 10000)
        GlobalVars.addServer({ ip: "10.0.3.2", port: "22", username: "root", password: "pw2" })
        tryVerify(function() { return servers().length === 2 }, 10000)
        var entry = servers()[0]
        compare([entry.key, entry.source, entry.label, String(entry.port), entry.user, entry.passwd, entry.iconSource],
                ["server", "Tab_server.qml", "10.0.3.1", "2222", "ops", "pw1", HusIcon.HomeOutlined])
        GlobalVars.removeServer("10.0.3.1")
        tryVerify(function() { return servers().length === 1 }, 10000)
        compare(servers()[0].label, "10.0.3.2")
        compare(messages.texts().filter(function(text) { return text.indexOf("服务器成功") > 0 }),
                ["操作服务器成功!", "操作服务器成功!", "删除服务器成功!"])
        // No list at all (a failed fetch) leaves the menu as it was.
        GlobalVars.accServerList = null
        compare(servers().length, 1)
    }

    // setting.ini holds the keys as typed, and they are back at the next start.
    function test_setting_ini() {
        verify(QmlTool.wirteFile("setting.ini", "[General]\nusername=stored-user\npassword=stored-pass\n"))
        openWindow()
        compare([page("accountInput").text, page("passwordInput").text], ["stored-user", "stored-pass"])
        typeInto("accountInput", "typed-user")
        typeInto("passwordInput", "typed-pass")
        tryVerify(function() {
            var text = QmlTool.readFile("setting.ini")
            return text.indexOf("username=typed-user") !== -1 && text.indexOf("password=typed-pass") !== -1
        }, 5000, "setting.ini was not written while typing")
        verify(QmlTool.readFile("setting.ini").indexOf("bindqq") === -1)
    }
}
