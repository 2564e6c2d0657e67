import QtQuick 2.15
import "qrc:/MyGlobals" 1.0
import "../console/common"

// The sample account signed in on a simulator back at its start, the message bar
// recorded, and the transfer queue window in place.
SimTestCase {
    property MessageRecorder messages: MessageRecorder {}
    property var servers: []
    property var queue: null

    function signInDemo() {
        resetAndSignIn(messages)
        GlobalVars.all_Version = done(sim.platform("/quenta/getversion", {})).json
        servers = done(sim.platform("/quenta/getServerList", {}, GlobalVars.token)).json.data
        compare(servers.length, 3)
        if (!queue) {
            var component = Qt.createComponent("qrc:/Page/Window_DownloadQuest.qml")
            queue = component.createObject(null)
            verify(queue, component.errorString())
        }
    }
}
