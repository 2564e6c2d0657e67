import QtQuick 2.15
import QtTest 1.2
import HuskarUI.Basic 1.0
import QmlTool 1.0
import Desktop 1.0
import "qrc:/MyGlobals" 1.0
import "../console/common"
import "../common/Items.js" as Items

// An operator at the console: its own main window, acted on only through what its
// windows show (a click on a text, typing into an input found by its placeholder,
// Esc), with the simulator and the sandboxed servers at hand to check where each
// action lands. With KXT_WALKTHROUGH_DIR set, every step leaves a picture there.
SimTestCase {
    id: journey
    when: windowShown

    property var main: null
    // Every notice of the message bar, oldest first: {text, type}.
    property var notices: []
    property int noticesSeen: 0
    readonly property string pictures: Desktop.env("KXT_WALKTHROUGH_DIR")
    readonly property bool dark: Desktop.env("KXT_WALKTHROUGH_THEME") === "dark"
    property int pictureCount: 0

    Connections {
        target: GlobalVars.msg_control
        ignoreUnknownSignals: true
        function onCountChanged() {
            const bar = GlobalVars.msg_control
            if (bar.count > journey.noticesSeen) {
                const notice = bar.get(bar.count - 1)
                journey.notices = journey.notices.concat([{ text: notice.message, type: notice.type }])
            }
            journey.noticesSeen = bar.count
        }
    }

    function cleanup() {
        if (main)
            main.destroy()
        main = null
    }

    // The console as started: login page, an empty setting.ini, the walkthrough's theme.
    function start() {
        QmlTool.wirteFile("setting.ini", "")
        notices = []
        noticesSeen = 0
        main = Qt.createComponent("qrc:/main.qml").createObject(null)
        waitText(main, "登录您的KX-T账号")
        if (dark !== HusTheme.isDark) {
            click(main, "theme", item => item.iconSource === HusIcon.MoonOutlined)
            // The pointer leaves the caption bar, which would keep the button lit.
            mouseMove(main.contentItem, main.width / 2, main.height - 1)
        }
        snap(main, "login")
    }

    // The sample account, typed into the login page.
    function signInDemo() {
        start()
        typeInto(main, "账号", "demo")
        typeInto(main, "密码", "kxt2025")
        click(main, "登 录")
        waitMessage("登录成功")
        // The side menu is built again when the account's servers arrive, and its
        // entries move: a click aimed before that lands on another entry.
        tryVerify(() => GlobalVars.accServerList, 20000, "the account's servers did not arrive")
    }

    // What `get` answers once it answers other than null.
    function waitFor(get, timeout, message) {
        let value = null
        tryVerify(() => (value = get()) !== null, timeout || 20000, message)
        return value
    }

    // The visible window titled `title`, the newest when there are several.
    function windowTitled(title, timeout) {
        return waitFor(() => Desktop.windows().filter(w => w.title === title).pop() || null, timeout, "no window " + title)
    }

    function gone(win, timeout) {
        tryVerify(() => Desktop.windows().indexOf(win) < 0, timeout || 10000, "a window stayed open")
    }

    // Visible, wholly inside the window, and its centre inside every clipping item above it.
    function reachable(win, item) {
        if (!item.visible || item.width <= 0 || item.height <= 0)
            return false
        const inWindow = item.mapToItem(win.contentItem, 0, 0)
        if (inWindow.x < 0 || inWindow.y < 0 || inWindow.x + item.width > win.width || inWindow.y + item.height > win.height)
            return false
        for (let above = item; above; above = above.parent) {
            const at = item.mapToItem(above, item.width / 2, item.height / 2)
            if (above.opacity === 0 || above.clip && (at.x < 0 || at.y < 0 || at.x > above.width || at.y > above.height))
                return false
        }
        return true
    }

    function showing(win, text) {
        return item => item.text !== undefined && String(item.text) === text && reachable(win, item)
    }

    function shows(win, text) {
        return Items.first(win.contentItem, showing(win, text))
    }

    // Each control once: a label inside a control showing the same text is not counted.
    function shownAll(win, text) {
        const found = Items.all(win.contentItem, showing(win, text))
        const inFound = item => item.parent !== null && (found.indexOf(item.parent) >= 0 || inFound(item.parent))
        return found.filter(item => !inFound(item))
    }

    function waitText(win, text, timeout) {
        return waitFor(() => shows(win, text), timeout, "not shown: " + text)
    }

    // Items move while layouts settle: a click waits for a frame drawn after the item showed.
    function settle(win) {
        let drawn = false
        const mark = () => { drawn = true }
        win.frameSwapped.connect(mark)
        Desktop.redraw(win)
        tryVerify(() => drawn, 5000, "the window did not draw")
        win.frameSwapped.disconnect(mark)
    }

    // A click where the text shows (or the first reachable item `test` accepts), as
    // the pointer does: lists rebuilt meanwhile get the click on what is there now.
    function click(win, text, test) {
        const match = test || (it => it.text !== undefined && String(it.text) === text)
        const find = () => Items.first(win.contentItem, it => match(it) && reachable(win, it))
        waitFor(find, 20000, "nothing to click: " + text)
        settle(win)
        const item = waitFor(find, 20000, "nothing to click: " + text)
        const at = item.mapToItem(win.contentItem, item.width / 2, item.height / 2)
        mouseMove(win.contentItem, at.x, at.y)
        mouseClick(win.contentItem, at.x, at.y)
        return item
    }

    function activate(win) {
        if (Desktop.hasKeyboard(win))
            return
        win.requestActivate()
        tryVerify(() => Desktop.hasKeyboard(win), 5000, "the window did not take the keyboard")
    }

    // Types over what the input (found by its placeholder) holds.
    function typeInto(win, placeholder, text) {
        activate(win)
        const input = click(win, placeholder, it => it.placeholderText === placeholder)
        keyClick(Qt.Key_A, Qt.ControlModifier)
        for (let i = 0; i < text.length; ++i) {
            activate(win)
            keyClick(text[i])
        }
        compare(input.text, text, "typed into " + placeholder)
        return input
    }

    function pressEsc(win) {
        activate(win)
        keyPress(Qt.Key_Escape)
        // A window closed by the press may be gone before its release would arrive.
        if (Desktop.windows().indexOf(win) >= 0)
            keyRelease(Qt.Key_Escape)
    }

    // Waits until the message bar has shown `text` `times` times in this journey.
    function waitMessage(text, timeout, times) {
        tryVerify(() => notices.filter(n => n.text === text).length >= (times || 1), timeout || 20000,
                  "no message " + text + "; shown: " + JSON.stringify(notices.map(n => n.text)))
    }

    function errors() {
        return notices.filter(n => n.type === HusMessage.Type_Error).map(n => n.text)
    }

    // Opens a server's page from the side menu (pages show the address too) and waits
    // until its gateway answered.
    function openServer(host) {
        const menu = Items.first(main.contentItem, it => it.objectName === "sideMenu")
        const entry = it => String(it.text) === host && Items.first(menu, m => m === it) !== null
        if (!Items.first(menu, it => entry(it) && reachable(main, it)))
            click(main, "我的服务器")
        click(main, host, entry)
        waitText(main, "服务器IP:", 30000)
    }

    function serverFile(host, path) {
        return QmlTool.readFile(fixture.sim.roots[host] + path)
    }

    // A picture of the window once the message bar has cleared (the notices would
    // cover the page).
    function snap(win, name) {
        if (pictures === "")
            return
        tryVerify(() => GlobalVars.msg_control.count === 0, 15000, "the message bar did not clear")
        settle(win)
        pictureCount += 1
        const file = pictures + "/" + journey.name.toLowerCase() + "-" + (pictureCount < 10 ? "0" : "") + pictureCount
                + "-" + name + (dark ? "-dark" : "") + ".png"
        verify(Desktop.save(win, file), file)
    }
}
