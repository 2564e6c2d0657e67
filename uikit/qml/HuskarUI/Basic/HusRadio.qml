import QtQuick 2.15
import QtQuick.Templates 2.15 as T
import HuskarUI.Basic 1.0

// Exclusive within its parent or a ButtonGroup (ButtonGroup.group: group).
T.RadioButton {
    id: control

    property bool animationEnabled: HusTheme.animationEnabled
    property int radioSize: 16
    property color colorText: enabled ? HusTheme.Primary.colorTextBase : HusTheme.Primary.colorTextDisabled
    property color colorIndicator: !enabled ? HusTheme.Primary.colorTextDisabled
                                            : checked ? HusTheme.Primary.colorPrimary
                                                      : hovered ? HusTheme.Primary.colorPrimaryHover
                                                                : HusTheme.Primary.colorBorder
    property string contentDescription: text

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset,
                             implicitContentHeight + topPadding + bottomPadding,
                             implicitIndicatorHeight + topPadding + bottomPadding)
    padding: 4
    spacing: 8
    hoverEnabled: true
    font.family: HusTheme.Primary.fontPrimaryFamily
    font.pixelSize: HusTheme.Primary.fontPrimarySize

    indicator: Rectangle {
        x: control.leftPadding
        y: (control.height - height) / 2
        implicitWidth: control.radioSize
        implicitHeight: control.radioSize
        radius: width / 2
        color: control.checked && control.enabled ? control.colorIndicator
                                                  : control.enabled ? HusTheme.Primary.colorBgContainer
                                                                    : HusTheme.Primary.colorBgContainerDisabled
        border.width: 1
        border.color: control.colorIndicator
        Behavior on color { enabled: control.animationEnabled; ColorAnimation { duration: HusTheme.Primary.durationMid } }

        Rectangle {
            anchors.centerIn: parent
            width: control.checked ? parent.width * 0.375 : 0
            height: width
            radius: width / 2
            color: HusTheme.Primary.colorTextLightSolid
            Behavior on width { enabled: control.animationEnabled; NumberAnimation { duration: HusTheme.Primary.durationMid } }
        }
    }

    contentItem: Text {
        leftPadding: control.indicator.width + control.spacing
        text: control.text
        font: control.font
        color: control.colorText
        verticalAlignment: Text.AlignVCenter
        renderType: Text.NativeRendering
    }

    HoverHandler { cursorShape: Qt.PointingHandCursor; enabled: control.enabled }
}
