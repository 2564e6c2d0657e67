import QtQuick 2.15
import QtQuick.Templates 2.15 as T
import HuskarUI.Basic 1.0

// A toggle whose track shows checkedText or uncheckedText.
T.Switch {
    id: control

    property bool animationEnabled: HusTheme.animationEnabled
    property bool loading: false
    property string checkedText: ""
    property string uncheckedText: ""
    property var checkedIconSource: 0
    property var uncheckedIconSource: 0
    property color colorBg: !enabled ? HusTheme.Primary.colorTextDisabled
                                     : checked ? (hovered ? HusTheme.Primary.colorPrimaryHover : HusTheme.Primary.colorPrimary)
                                               : (hovered ? HusTheme.Primary.colorTextTertiary : HusTheme.Primary.colorTextQuaternary)
    property color colorHandle: "#ffffff"
    property color colorText: "#ffffff"
    property string contentDescription: checked ? checkedText : uncheckedText

    readonly property int __trackHeight: 22
    readonly property int __handleSize: __trackHeight - 4
    readonly property real __textWidth: Math.max(checkedLabel.implicitWidth, uncheckedLabel.implicitWidth)

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            implicitIndicatorWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset,
                             implicitIndicatorHeight + topPadding + bottomPadding)
    padding: 0
    hoverEnabled: true
    font.family: HusTheme.Primary.fontPrimaryFamily
    font.pixelSize: HusTheme.Primary.fontPrimarySizeSM

    indicator: Rectangle {
        implicitWidth: Math.max(44, control.__handleSize + control.__textWidth + 18)
        implicitHeight: control.__trackHeight
        x: control.leftPadding
        y: (control.height - height) / 2
        radius: height / 2
        color: control.colorBg
        Behavior on color { enabled: control.animationEnabled; ColorAnimation { duration: HusTheme.Primary.durationMid } }

        Text {
            id: checkedLabel
            visible: control.checked
            anchors.verticalCenter: parent.verticalCenter
            x: 8
            text: control.checkedText
            font: control.font
            color: control.colorText
            renderType: Text.NativeRendering
        }

        Text {
            id: uncheckedLabel
            visible: !control.checked
            anchors.verticalCenter: parent.verticalCenter
            x: parent.width - width - 8
            text: control.uncheckedText
            font: control.font
            color: control.colorText
            renderType: Text.NativeRendering
        }

        Rectangle {
            id: handle
            width: control.__handleSize + (control.pressed ? 4 : 0)
            height: control.__handleSize
            radius: height / 2
            y: 2
            x: control.checked ? parent.width - width - 2 : 2
            color: control.colorHandle
            Behavior on x { enabled: control.animationEnabled; NumberAnimation { duration: HusTheme.Primary.durationMid; easing.type: Easing.OutCubic } }
            Behavior on width { enabled: control.animationEnabled; NumberAnimation { duration: HusTheme.Primary.durationFast } }

            HusIconText {
                anchors.centerIn: parent
                iconSource: control.loading ? HusIcon.LoadingOutlined
                                            : control.checked ? control.checkedIconSource : control.uncheckedIconSource
                iconSize: 12
                colorIcon: control.colorBg
                RotationAnimation on rotation {
                    running: control.loading
                    from: 0
                    to: 360
                    loops: Animation.Infinite
                    duration: 1000
                }
            }
        }
    }

    HoverHandler { cursorShape: Qt.PointingHandCursor; enabled: control.enabled }
}
