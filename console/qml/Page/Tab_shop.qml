import QtQuick 2.15
import HuskarUI.Basic 1.0
import "../MyGlobals" 1.0
import "../Component"

// The market of server-side plugins.
MarketTab {
    objectName: "tabShop"
    catalogue: GlobalVars.serverPluginList
    secondModeText: "索引作者名"
    secondModeIcon: HusIcon.TeamOutlined
    cellHeight: 128
    windowSource: Qt.resolvedUrl("Window_PluginInfo_Goods.qml")
    windowOffsetY: 85
    suggestionOpensWindow: true
}
