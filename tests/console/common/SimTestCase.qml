import QtQuick 2.15
import QtTest 1.2
import "qrc:/MyGlobals" 1.0

// A TestCase with the simulator at hand. The simulator is shared with other tests
// running at the same time, so tests read only the log records made after their
// own start and work on accounts of their own.
TestCase {
    id: testCase

    property SimClient sim: SimClient {}
    // Stands in for the main window's message bar (see resetAndSignIn).
    property MessageRecorder messages: MessageRecorder {}
    readonly property var hosts: sim.gatewayHosts
    // The loopback sshd the sample servers reach, where the test has it.
    readonly property var sshd: fixture.sshd
    property int accountCounter: 0
    property int knownSeq: 0

    function done(record) {
        tryVerify(function() { return record.done }, 10000, "the simulator did not answer")
        return record
    }

    // The sequence number of the newest request logged so far.
    function logSeq() {
        var records = done(sim.log(knownSeq)).json
        if (records.length > 0)
            knownSeq = records[records.length - 1].seq
        return knownSeq
    }

    function requestsSince(seq, path) {
        return done(sim.log(seq)).json.filter(function(r) { return !path || r.path === path })
    }

    // The first request to `path` logged after `seq`.
    function waitForRequest(seq, path) {
        var found = []
        tryVerify(function() { return (found = requestsSince(seq, path)).length > 0 }, 10000, "no request to " + path)
        return found[0]
    }

    function uniqueName(prefix) {
        accountCounter += 1
        return prefix + Date.now().toString(36) + accountCounter
    }

    // Signs a new account up and logs it in; returns {username, password, token}.
    function freshAccount() {
        var account = { username: uniqueName("shell"), password: "secret-" + accountCounter }
        var signUp = done(sim.platform("/register", { username: account.username, password: account.password, qq: "口令" }))
        compare(signUp.status, 200, signUp.text)
        var login = done(sim.platform("/login", { username: account.username, password: account.password }))
        compare(login.status, 200, login.text)
        account.token = login.json.token
        return account
    }

    // GlobalVars[property] as `fetch` fills it in again.
    function fetched(property, fetch) {
        GlobalVars[property] = null
        fetch()
        tryVerify(() => GlobalVars[property], 10000, "no " + property)
        return GlobalVars[property]
    }

    function injectFault(fault) {
        var answer = done(sim.control("/fault", fault))
        compare(answer.status, 200, answer.text)
    }

    // For tests that hold the simulator lock: no knob, fault or state another test left.
    function resetSimulator() {
        compare(done(sim.control("/reset")).status, 200, "simulator reset")
        knownSeq = 0 // the reset empties the log
    }

    // A window of `component` for this test alone, set up by its init(key), shown,
    // active and drawn.
    function showWindow(component, key) {
        var win = createTemporaryObject(component, testCase)
        verify(win, component.errorString())
        win.init(key)
        win.show()
        win.requestActivate()
        tryVerify(function() { return win.active })
        waitForRendering(win.contentItem)
        return win
    }

    // As resetSimulator, then the console signed in as the demo account and its
    // messages going to `recorder` (this case's `messages` unless given). Returns the
    // log position the test's own requests follow.
    function resetAndSignIn(recorder) {
        const messages = recorder || testCase.messages
        resetSimulator()
        var login = done(sim.platform("/login", { username: "demo", password: "kxt2025" }))
        compare(login.status, 200, login.text)
        GlobalVars.server_url = sim.baseUrl
        GlobalVars.token = login.json.token
        GlobalVars.msg_control = messages
        messages.clear()
        return logSeq()
    }
}
