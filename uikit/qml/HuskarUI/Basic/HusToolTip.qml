import QtQuick 2.15
import QtQuick.Templates 2.15 as T
import HuskarUI.Basic 1.0

// Placed as a child of the item it explains; shown while `visible` is true.
T.ToolTip {
    id: control

    enum Position {
        Position_Top,
        Position_Bottom,
        Position_Left,
        Position_Right
    }

    property bool animationEnabled: HusTheme.animationEnabled
    property bool arrowVisible: false
    property int position: HusToolTip.Position_Top
    property color colorText: HusTheme.isDark ? HusTheme.Primary.colorTextBase : "#ffffff"
    property color colorBg: HusTheme.isDark ? "#424242" : "#e6000000"
    property int radiusBg: HusTheme.Primary.radiusPrimary
    // Long texts wrap at this width instead of spanning the window.
    property int maximumWidth: 400

    readonly property int __arrowSize: arrowVisible ? 6 : 0
    readonly property Item __target: parent

    x: {
        if (!__target)
            return 0;
        switch (position) {
        case HusToolTip.Position_Left:
            return -width - 4;
        case HusToolTip.Position_Right:
            return __target.width + 4;
        default:
            return (__target.width - width) / 2;
        }
    }
    y: {
        if (!__target)
            return 0;
        switch (position) {
        case HusToolTip.Position_Top:
            return -height - 4;
        case HusToolTip.Position_Bottom:
            return __target.height + 4;
        default:
            return (__target.height - height) / 2;
        }
    }

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset,
                             implicitContentHeight + topPadding + bottomPadding)
    width: Math.min(implicitWidth, maximumWidth)
    margins: 4
    padding: 0
    topInset: position === HusToolTip.Position_Bottom ? __arrowSize : 0
    bottomInset: position === HusToolTip.Position_Top ? __arrowSize : 0
    leftInset: position === HusToolTip.Position_Right ? __arrowSize : 0
    rightInset: position === HusToolTip.Position_Left ? __arrowSize : 0
    topPadding: topInset + 6
    bottomPadding: bottomInset + 6
    leftPadding: leftInset + 8
    rightPadding: rightInset + 8
    font.family: HusTheme.Primary.fontPrimaryFamily
    font.pixelSize: HusTheme.Primary.fontPrimarySize
    closePolicy: T.Popup.CloseOnEscape | T.Popup.CloseOnPressOutsideParent | T.Popup.CloseOnReleaseOutsideParent

    contentItem: Text {
        text: control.text
        font: control.font
        color: control.colorText
        wrapMode: Text.Wrap
        renderType: Text.NativeRendering
    }

    background: Item {
        Rectangle {
            anchors.fill: parent
            radius: control.radiusBg
            color: control.colorBg
        }

        Rectangle {
            visible: control.arrowVisible
            width: control.__arrowSize * 2
            height: width
            rotation: 45
            color: control.colorBg
            x: {
                switch (control.position) {
                case HusToolTip.Position_Left:
                    return parent.width - width / 2 - 1;
                case HusToolTip.Position_Right:
                    return -width / 2 + 1;
                default:
                    return (parent.width - width) / 2;
                }
            }
            y: {
                switch (control.position) {
                case HusToolTip.Position_Top:
                    return parent.height - height / 2 - 1;
                case HusToolTip.Position_Bottom:
                    return -height / 2 + 1;
                default:
                    return (parent.height - height) / 2;
                }
            }
        }
    }

    enter: Transition {
        // A zero-length transition would leave the popup deaf to clicks.
        enabled: control.animationEnabled
        NumberAnimation { property: "opacity"; from: 0; to: 1; duration: HusTheme.Primary.durationFast }
    }
    exit: Transition {
        enabled: control.animationEnabled
        NumberAnimation { property: "opacity"; from: 1; to: 0; duration: HusTheme.Primary.durationFast }
    }
}
