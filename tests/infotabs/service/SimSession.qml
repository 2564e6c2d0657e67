import QtQuick 2.15
import "qrc:/MyGlobals" 1.0

// Talks to the simulator started by the "sim" fixture: signs the console in,
// drives the control interface and reads the request log. Every call answers
// asynchronously into the returned record; tests wait on its `done`.
QtObject {
    id: session

    readonly property string baseUrl: fixture.sim.base_url
    readonly property string controlUrl: fixture.sim.control_url

    // Stands in for the main window's message bar and keeps what it was told.
    property QtObject messages: QtObject {
        property var shown: []
        function record(kind, text) { shown = shown.concat([{ kind: kind, text: text }]) }
        function success(text) { record("success", text) }
        function error(text) { record("error", text) }
        function info(text) { record("info", text) }
        function warning(text) { record("warning", text) }
        function texts(kind) { return shown.filter(m => m.kind === kind).map(m => m.text) }
    }

    function call(method, url, body) {
        const result = { done: false, status: 0, answer: null }
        const xhr = new XMLHttpRequest()
        xhr.onreadystatechange = function () {
            if (xhr.readyState !== XMLHttpRequest.DONE)
                return
            result.status = xhr.status
            try {
                result.answer = JSON.parse(xhr.responseText)
            } catch (e) {
                result.answer = xhr.responseText
            }
            result.done = true
        }
        xhr.open(method, url)
        xhr.setRequestHeader("Content-Type", "application/json")
        xhr.send(body === undefined ? "" : JSON.stringify(body))
        return result
    }

    function control(path, body) {
        return call(body === undefined ? "GET" : "POST", controlUrl + path, body)
    }

    // Fresh simulator state, an empty log, a signed-in console and a clean message bar.
    function start(test) {
        GlobalVars.server_url = baseUrl
        GlobalVars.token = ""
        GlobalVars.msg_control = messages
        messages.shown = []
        const reset = control("/reset", {})
        test.tryVerify(() => reset.done, 5000)
        test.compare(reset.status, 200, "simulator reset")
        const login = call("POST", baseUrl + "/login", { username: "demo", password: "kxt2025" })
        test.tryVerify(() => login.done, 5000)
        test.compare(login.status, 200, "demo account signs in")
        GlobalVars.token = login.answer.token
        const cleared = control("/log/clear", {})
        test.tryVerify(() => cleared.done, 5000)
    }

    function requests(test, path) {
        const log = control("/log")
        test.tryVerify(() => log.done, 5000)
        return log.answer.filter(r => r.server === "platform" && r.path === path)
    }
}
