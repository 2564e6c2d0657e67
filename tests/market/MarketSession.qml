import QtQuick 2.15
import "qrc:/MyGlobals" 1.0
import "../console/common"

// The market tests' simulator session: the sample account signed in, fresh
// simulator state, both catalogues and the account's servers loaded into GlobalVars.
SimTestCase {
    id: session

    property MessageRecorder messages: MessageRecorder {}
    // Where the detail windows are placed from.
    property QtObject mainWindow: QtObject { property int y: 100 }

    function startSession() {
        compare(done(sim.control("/reset")).status, 200, "simulator reset")
        const login = done(sim.platform("/login", { username: "demo", password: "kxt2025" }))
        compare(login.status, 200, login.text)
        GlobalVars.server_url = sim.baseUrl
        GlobalVars.token = login.json.token
        GlobalVars.msg_control = messages
        GlobalVars.main_Window = mainWindow
        messages.clear()
        GlobalVars.serverPluginList = null
        GlobalVars.serverPluginexMap = null
        GlobalVars.accServerList = null
        GlobalVars.getShopAllProject()
        GlobalVars.getShopAllProjectex()
        GlobalVars.getAccServerList()
        tryVerify(() => GlobalVars.serverPluginList && GlobalVars.serverPluginexMap && GlobalVars.accServerList, 10000)
        knownSeq = 0
        logSeq()
    }
}
