import QtQuick 2.15
import QtQuick.Templates 2.15 as T
import HuskarUI.Basic 1.0

T.ScrollBar {
    id: control

    property bool animationEnabled: HusTheme.animationEnabled
    property color colorBar: pressed ? HusTheme.Primary.colorTextTertiary
                                     : hovered ? HusTheme.Primary.colorTextQuaternary
                                               : HusThemeFunctions.alpha(HusTheme.Primary.colorTextQuaternary, 0.7)
    property color colorBg: HusTheme.Primary.colorFillQuaternary

    readonly property bool __active: active || hovered || pressed

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset,
                             implicitContentHeight + topPadding + bottomPadding)
    padding: 2
    hoverEnabled: true
    visible: policy === T.ScrollBar.AlwaysOn || (policy === T.ScrollBar.AsNeeded && size < 1.0)
    minimumSize: orientation === Qt.Horizontal ? height / width : width / height

    contentItem: Rectangle {
        implicitWidth: control.__active ? 8 : 4
        implicitHeight: control.__active ? 8 : 4
        radius: Math.min(width, height) / 2
        color: control.colorBar
        opacity: control.policy === T.ScrollBar.AlwaysOn || control.__active || control.size < 1.0 ? 1 : 0
        Behavior on implicitWidth { enabled: control.animationEnabled; NumberAnimation { duration: HusTheme.Primary.durationFast } }
        Behavior on implicitHeight { enabled: control.animationEnabled; NumberAnimation { duration: HusTheme.Primary.durationFast } }
    }

    background: Rectangle {
        implicitWidth: 12
        implicitHeight: 12
        radius: 6
        color: control.__active ? control.colorBg : "transparent"
    }
}
