import QtQuick 2.15
import "qrc:/MyGlobals" 1.0
import "../console/common"

// The market tests' simulator session: the sample account signed in, fresh
// simulator state, both catalogues and the account's servers loaded into GlobalVars;
// the detail window last opened and the transfer queue its tasks go to.
SimTestCase {
    // Where the detail windows are placed from.
    property QtObject mainWindow: QtObject { property int y: 100 }
    property var queue: null
    property var detail: null

    function startSession() {
        resetAndSignIn()
        GlobalVars.main_Window = mainWindow
        fetched("serverPluginList", () => GlobalVars.getShopAllProject())
        fetched("serverPluginexMap", () => GlobalVars.getShopAllProjectex())
        fetched("accServerList", () => GlobalVars.getAccServerList())
        logSeq()
        if (!queue)
            queue = Qt.createComponent("qrc:/Page/Window_DownloadQuest.qml").createObject(null)
    }

    // Windows made here go when the test ends.
    function openDetail(document, index) {
        detail = showWindow(Qt.createComponent("qrc:/Page/" + document), index)
        return detail
    }

    function press(name) {
        mouseClick(findChild(detail.contentItem, name))
    }

    // `list` with the entry named `name` changed by `change`.
    function changed(list, name, change) {
        return list.map(entry => entry.ProjectName === name ? Object.assign({}, entry, change) : entry)
    }
}
