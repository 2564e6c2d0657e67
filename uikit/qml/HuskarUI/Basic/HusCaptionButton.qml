import QtQuick 2.15
import HuskarUI.Basic 1.0

// One button of the caption bar: an icon on a flat, full-height square.
HusIconButton {
    id: control

    property bool isError: false

    type: HusButton.Type_Text
    padding: 0
    leftPadding: 0
    rightPadding: 0
    radiusBg: 0
    iconSize: 14
    focusPolicy: Qt.NoFocus
    hoverCursorShape: Qt.ArrowCursor
    colorIcon: isError && hovered ? "#ffffff" : HusTheme.Primary.colorTextBase
    colorBg: isError ? (down ? "#c42b1c" : hovered ? "#e81123" : "transparent")
                     : (down ? HusTheme.Primary.colorFillSecondary
                             : hovered ? HusTheme.Primary.colorFillTertiary : "transparent")
    background: Rectangle {
        implicitWidth: 46
        implicitHeight: 30
        color: control.colorBg
    }

    HusToolTip {
        visible: control.hovered && control.contentDescription !== ""
        delay: 500
        position: HusToolTip.Position_Bottom
        text: control.contentDescription
    }
}
