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
    property MessageRecorder messages: MessageRecorder {}
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
        GlobalVars.page_home = null
        GlobalVars.accServerList = null
    }

    function openWindow() {
        var component = Qt.createComponent("qrc:/main.qml")
        compare(component.status, Component.Ready, component.errorString())
        window = component.createObject(null)
        verify(window)
        window.frameSwapped.connect(function() { frames += 1 })
        // Pointer events reach a window once it is on screen.
        settle()
        tryVerify(function() { return page("loginPage") !== null })
        GlobalVars.msg_control = messages
        return window
    }

    property int frames: 0

    // Positioners place their items when the next frame is prepared; clicks aimed
    // before that would land where the items used to be.
    function settle() {
        var before = frames
        window.update()
        tryVerify(function() { return frames > before }, 5000, "the main window did not draw")
    }

    function page(name) {
        return findChild(window.contentItem, name)
    }

    function typeInto(inputName, text) {
        settle()
        var input = page(inputName)
        verify(input && input.visible, inputName)
        mouseClick(input)
        Items.retype(input, text)
        compare(input.text, text)
    }

    function press(buttonName) {
        settle()
        var button = page(buttonName)
        verify(button && button.visible, buttonName)
        // The pointer travels to the button, leaving whatever it hovered (and its tooltip).
        mouseMove(button)
        mouseClick(button)
    }

    function logIn(account) {
        typeInto("accountInput", account.username)
        typeInto("passwordInput", account.password)
        press("mainButton")
        tryVerify(function() { return page("homePage") !== null }, 10000)
    }

    function test_window_title_and_shared_references() {
        openWindow()
        compare(window.title, "KX_T服务端可视化后台管理工具 Ver.2.8")
        compare(GlobalVars.main_Window, window)
        window.changePage(7)
        verify(page("loginPage") !== null, "an unknown page number changed the page")
    }

    function test_message_bar_is_the_window_s() {
        openWindow()
        window.destroy()
        window = null
        GlobalVars.msg_control = null
        var component = Qt.createComponent("qrc:/main.qml")
        window = component.createObject(null)
        verify(GlobalVars.msg_control !== null)
        compare(GlobalVars.msg_control.parent, window.captionBar)
        verify(typeof GlobalVars.msg_control.success === "function")
    }

    function test_login_page_starts_on_the_first_line() {
        var seq = logSeq()
        openWindow()
        compare(GlobalVars.server_url, sim.baseUrl)
        var lines = page("lineSelect")
        compare(lines.currentIndex, 0)
        compare(lines.currentText, "高速线路")
        waitForRequest(seq, "/quenta/getversion")
        compare(page("loginPage").mode, 0)
        compare(page("mainButton").text, "登 录")
        verify(!page("phraseInput").visible)
        verify(!page("forceChangeButton").visible)
        compare(page("modeButton").text, "点击注册")
    }

    function test_backup_line_carries_every_later_request() {
        GlobalVars.serverLines = [
            { label: "高速线路", value: sim.baseUrl },
            { label: "备用线路", value: sim.baseUrl + "/backup-line" }
        ]
        openWindow()
        var seq = logSeq()
        page("lineSelect").currentIndex = 1
        compare(GlobalVars.server_url, sim.baseUrl + "/backup-line")
        waitForRequest(seq, "/backup-line/quenta/getversion")
        typeInto("accountInput", "nobody")
        press("mainButton")
        waitForRequest(seq, "/backup-line/login")
        compare(requestsSince(seq, "/login").length, 0)
    }

    function test_wrong_password_stays_on_the_login_page() {
        var account = freshAccount()
        openWindow()
        typeInto("accountInput", account.username)
        typeInto("passwordInput", "wrong-password")
        press("mainButton")
        tryVerify(function() { return messages.shown.length > 0 }, 10000)
        compare(messages.shown, [{ kind: "error", text: "请求失败，状态码: 401" }])
        verify(page("loginPage") !== null)
        compare(page("homePage"), null)
        compare(GlobalVars.token, "")
    }

    function test_sign_up_refused_shows_the_answer() {
        var account = freshAccount()
        // What the platform says about a name that is taken, straight from it.
        var refusal = done(sim.platform("/register", { username: account.username, password: "another-pw", qq: "x" }))
        compare(refusal.status, 400)

        openWindow()
        press("modeButton")
        compare(page("loginPage").mode, 1)
        compare(page("mainButton").text, "注 册")
        compare(page("modeButton").text, "点击登录")
        verify(page("forceChangeButton").visible)
        typeInto("accountInput", account.username)
        typeInto("passwordInput", "another-pw")
        typeInto("phraseInput", "x")
        press("mainButton")
        tryVerify(function() { return messages.shown.length > 0 }, 10000)
        compare(messages.shown, [{ kind: "error", text: "注册失败：" + refusal.text }])
        compare(page("loginPage").mode, 1)
    }

    function test_sign_up_then_log_in() {
        var name = uniqueName("shellnew")
        var seq = logSeq()
        openWindow()
        press("modeButton")
        typeInto("accountInput", name)
        typeInto("passwordInput", "pw-123456")
        typeInto("phraseInput", "phrase")
        // Enter in the last input submits the form in either mode (what the input's
        // Return key emits; key events would go to whichever window has the focus).
        page("phraseInput").accepted()
        tryVerify(function() { return messages.shown.length > 0 }, 10000)
        compare(messages.shown, [{ kind: "success", text: "注册成功" }])
        compare(waitForRequest(seq, "/register").body, { username: name, password: "pw-123456", qq: "phrase" })
        compare(page("loginPage").mode, 0)
        compare(page("accountInput").text, name)
        compare(page("passwordInput").text, "pw-123456")
        verify(!page("phraseInput").visible)

        messages.clear()
        page("passwordInput").accepted()
        tryVerify(function() { return page("homePage") !== null }, 10000)
        // The home page's own start-up fetches may report after the login message.
        compare(messages.shown[0], { kind: "success", text: "登录成功" })
        compare(messages.shown.filter(function(m) { return m.kind === "error" }), [])
        compare(waitForRequest(seq, "/login").body, { username: name, password: "pw-123456" })
        compare(page("loginPage"), null)
        compare(GlobalVars.page_home, page("homePage"))
    }

    // After login the home page fetches the catalogues, the servers and the profile at
    // once, with the token the login answer gave (the profile is the account's own).
    function test_home_page_start_up_fetches() {
        var account = freshAccount()
        openWindow()
        var seq = logSeq()
        logIn(account)
        ;["/kxt/getlist", "/quenta/getProjectInfoList", "/quenta/getServerList", "/quenta/getInfo"].forEach(function(path) {
            waitForRequest(seq, path)
        })
        tryVerify(function() { return GlobalVars.accInfo !== null && GlobalVars.serverPluginList !== null }, 10000)
        compare(GlobalVars.accInfo.username, account.username)
        compare(String(page("tabLoader").source).split("/").pop(), "Tab_home.qml")
        verify(GlobalVars.downlad_quest_window !== null, "the transfer queue window was not created")
        verify(!GlobalVars.downlad_quest_window.visible, "the transfer queue window shows at start")
    }

    function test_server_menu_follows_the_server_list() {
        var account = freshAccount()
        openWindow()
        logIn(account)
        var menu = page("sideMenu")
        compare(menu.count, 9)
        compare(menu.get(0).label, "首页")
        compare(menu.get(1).type, "divider")
        compare(menu.get(2).label, "我的服务器")
        tryVerify(function() { return Array.isArray(GlobalVars.accServerList) }, 10000)
        compare(menu.get(2).menuChildren.length, 0)

        GlobalVars.addServer({ ip: "10.0.3.1", port: "2222", username: "ops", password: "pw1" })
        tryVerify(function() { return menu.get(2).menuChildren.length === 1 }, 10000)
        GlobalVars.addServer({ ip: "10.0.3.2", port: "22", username: "root", password: "pw2" })
        tryVerify(function() { return menu.get(2).menuChildren.length === 2 }, 10000)
        var entry = menu.get(2).menuChildren[0]
        compare(entry.key, "server")
        compare(entry.source, "Tab_server.qml")
        compare(entry.label, "10.0.3.1")
        compare(String(entry.port), "2222")
        compare(entry.user, "ops")
        compare(entry.passwd, "pw1")
        compare(entry.iconSource, HusIcon.HomeOutlined)
        compare(menu.get(2).menuChildren[1].label, "10.0.3.2")

        GlobalVars.removeServer("10.0.3.1")
        tryVerify(function() { return menu.get(2).menuChildren.length === 1 }, 10000)
        compare(menu.get(2).menuChildren[0].label, "10.0.3.2")

        // No list at all (a failed fetch) leaves the menu as it was.
        GlobalVars.accServerList = null
        compare(menu.get(2).menuChildren.length, 1)
    }

    function test_menu_clicks_load_tabs() {
        var account = freshAccount()
        openWindow()
        logIn(account)
        var menu = page("sideMenu")
        var tabs = page("tabLoader")
        menu.clickMenu(0, "", menu.get(3))
        compare(String(tabs.source).split("/").pop(), "Tab_shop.qml")
        menu.clickMenu(0, "", menu.get(2))
        compare(String(tabs.source), "")
        menu.clickMenu(0, "", menu.get(8))
        compare(String(tabs.source).split("/").pop(), "Tab_about.qml")
        menu.clickMenu(1, "other", { source: "Tab_shop.qml" })
        compare(String(tabs.source).split("/").pop(), "Tab_about.qml")
    }

    function test_typing_writes_setting_ini() {
        openWindow()
        typeInto("accountInput", "typed-user")
        typeInto("passwordInput", "typed-pass")
        tryVerify(function() {
            var text = QmlTool.readFile("setting.ini")
            return text.indexOf("username=typed-user") !== -1 && text.indexOf("password=typed-pass") !== -1
        }, 5000, "setting.ini was not written while typing")
        verify(QmlTool.readFile("setting.ini").indexOf("bindqq") === -1)
    }

    function test_setting_ini_is_read_at_start() {
        verify(QmlTool.wirteFile("setting.ini", "[General]\nusername=stored-user\npassword=stored-pass\n"))
        openWindow()
        compare(page("accountInput").text, "stored-user")
        compare(page("passwordInput").text, "stored-pass")
    }

    // The theme reaches each page's background (the layout test keeps the pictures).
    function test_pages_follow_the_theme() {
        var account = freshAccount()
        ;[false, true].forEach(function(dark) {
            HusTheme.isDark = dark
            openWindow()
            var check = function(name) {
                // A spot of page background in the lower left, clear of every control.
                tryVerify(function() {
                    var level = Items.brightness(grabImage(window.contentItem), 40, window.height - 60)
                    return dark ? level < 0.3 : level > 0.8
                }, 3000, name + (dark ? " dark" : " light"))
            }
            check("login")
            press("modeButton")
            check("signup")
            press("modeButton")
            logIn(account)
            check("home")
            window.destroy()
            window = null
        })
    }
}
