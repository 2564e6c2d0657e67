import QtQuick 2.15
import QtQuick.Templates 2.15 as T
import HuskarUI.Basic 1.0

T.Button {
    id: control

    enum Type {
        Type_Default,
        Type_Outlined,
        Type_Dashed,
        Type_Primary,
        Type_Filled,
        Type_Text,
        Type_Link
    }

    enum Shape {
        Shape_Default,
        Shape_Circle
    }

    property int type: HusButton.Type_Default
    property int shape: HusButton.Shape_Default
    property bool animationEnabled: HusTheme.animationEnabled
    property bool effectEnabled: true
    property int hoverCursorShape: Qt.PointingHandCursor
    property color colorText: __colorText
    property color colorBg: __colorBg
    property color colorBorder: __colorBorder
    property int radiusBg: shape === HusButton.Shape_Circle ? height / 2 : HusTheme.Primary.radiusPrimary
    property string contentDescription: text

    readonly property bool __solid: type === HusButton.Type_Primary
    readonly property color __colorText: {
        if (!enabled)
            return HusTheme.Primary.colorTextDisabled;
        switch (type) {
        case HusButton.Type_Primary:
            return HusTheme.Primary.colorTextLightSolid;
        case HusButton.Type_Link:
            return down ? HusTheme.Primary.colorPrimaryActive
                        : hovered ? HusTheme.Primary.colorPrimaryHover : HusTheme.Primary.colorLink;
        case HusButton.Type_Text:
        case HusButton.Type_Filled:
            return HusTheme.Primary.colorTextBase;
        default:
            return down ? HusTheme.Primary.colorPrimaryActive
                        : hovered ? HusTheme.Primary.colorPrimaryHover : HusTheme.Primary.colorTextBase;
        }
    }
    readonly property color __colorBg: {
        switch (type) {
        case HusButton.Type_Primary:
            if (!enabled)
                return HusTheme.Primary.colorBgContainerDisabled;
            return down ? HusTheme.Primary.colorPrimaryActive
                        : hovered ? HusTheme.Primary.colorPrimaryHover : HusTheme.Primary.colorPrimary;
        case HusButton.Type_Text:
            return down ? HusTheme.Primary.colorFillSecondary
                        : hovered ? HusTheme.Primary.colorFillTertiary : "transparent";
        case HusButton.Type_Filled:
            return down ? HusTheme.Primary.colorFill
                        : hovered ? HusTheme.Primary.colorFillSecondary : HusTheme.Primary.colorFillTertiary;
        case HusButton.Type_Link:
            return "transparent";
        default:
            return enabled ? HusTheme.Primary.colorBgContainer : HusTheme.Primary.colorBgContainerDisabled;
        }
    }
    readonly property color __colorBorder: {
        switch (type) {
        case HusButton.Type_Default:
        case HusButton.Type_Outlined:
        case HusButton.Type_Dashed:
            if (!enabled)
                return HusTheme.Primary.colorBorder;
            return down ? HusTheme.Primary.colorPrimaryActive
                        : hovered ? HusTheme.Primary.colorPrimaryHover : HusTheme.Primary.colorBorder;
        default:
            return "transparent";
        }
    }

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset,
                             implicitContentHeight + topPadding + bottomPadding)
    padding: 4
    leftPadding: type === HusButton.Type_Link ? 4 : 15
    rightPadding: leftPadding
    hoverEnabled: true
    focusPolicy: Qt.TabFocus
    font.family: HusTheme.Primary.fontPrimaryFamily
    font.pixelSize: HusTheme.Primary.fontPrimarySize

    contentItem: Text {
        text: control.text
        font: control.font
        color: control.colorText
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
        renderType: Text.NativeRendering
        Behavior on color { enabled: control.animationEnabled; ColorAnimation { duration: HusTheme.Primary.durationFast } }
    }

    background: Rectangle {
        implicitWidth: control.shape === HusButton.Shape_Circle ? 32 : 64
        implicitHeight: 32
        radius: control.radiusBg
        color: control.colorBg
        border.width: control.type === HusButton.Type_Dashed || control.colorBorder.a > 0 ? 1 : 0
        border.color: control.colorBorder
        Behavior on color { enabled: control.animationEnabled; ColorAnimation { duration: HusTheme.Primary.durationFast } }

        // A custom colorBg replaces the computed hover colours; this keeps feedback visible.
        Rectangle {
            anchors.fill: parent
            radius: parent.radius
            visible: control.__solid && control.enabled
            color: control.down ? "#1a000000" : control.hovered ? "#1fffffff" : "transparent"
        }
    }

    HoverHandler {
        cursorShape: control.hoverCursorShape
        enabled: control.enabled
    }
}
