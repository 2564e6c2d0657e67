import QtQuick 2.15
import HuskarUI.Basic 1.0
import "../MyGlobals" 1.0
import "../Component"

// The market of dual-end plugins: prices instead of authors, and a thumbnail per card.
MarketTab {
    objectName: "tabShopex"
    catalogue: GlobalVars.serverPluginexMap
    secondModeText: "索引贡献点"
    secondModeIcon: HusIcon.GoogleOutlined
    cellHeight: 300
    dualEnd: true
    windowSource: Qt.resolvedUrl("Window_ExPluginInfo_Goods.qml")
    windowOffsetY: -20
}
