import QtQuick 2.15
import QtQuick.Templates 2.15 as T
import HuskarUI.Basic 1.0

T.TextField {
    id: control

    enum IconPosition {
        Position_Left,
        Position_Right
    }

    signal clickClear()

    property bool animationEnabled: HusTheme.animationEnabled
    property var iconSource: 0
    property int iconSize: HusTheme.Primary.fontPrimarySize + 2
    property int iconPosition: HusInput.Position_Left
    property color colorIcon: enabled ? HusTheme.Primary.colorTextSecondary : HusTheme.Primary.colorTextDisabled
    property color colorText: enabled ? HusTheme.Primary.colorTextBase : HusTheme.Primary.colorTextDisabled
    property color colorBorder: !enabled ? HusTheme.Primary.colorBorder
                                         : activeFocus ? HusTheme.Primary.colorPrimary
                                                       : hovered ? HusTheme.Primary.colorPrimaryHover
                                                                 : HusTheme.Primary.colorBorder
    property color colorBg: enabled ? HusTheme.Primary.colorBgContainer : HusTheme.Primary.colorBgContainerDisabled
    property int radiusBg: HusTheme.Primary.radiusPrimary
    property bool clearEnabled: false
    property var clearIconSource: HusIcon.CloseCircleFilled
    property int clearIconSize: iconSize
    property string contentDescription: placeholderText

    readonly property bool __hasIcon: typeof iconSource === "string" && iconSource.length > 0
    readonly property bool __clearShown: clearEnabled && !readOnly && text.length > 0 && (hovered || activeFocus)
    readonly property int __iconRoom: __hasIcon ? iconSize + 8 : 0
    readonly property int __clearRoom: clearEnabled ? clearIconSize + 8 : 0

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            contentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset,
                             contentHeight + topPadding + bottomPadding)
    topPadding: 4
    bottomPadding: 4
    leftPadding: 11 + (iconPosition === HusInput.Position_Left ? __iconRoom : 0)
    rightPadding: 11 + (iconPosition === HusInput.Position_Right ? __iconRoom : 0) + __clearRoom
    verticalAlignment: TextInput.AlignVCenter
    selectByMouse: true
    hoverEnabled: true
    color: colorText
    placeholderTextColor: enabled ? HusTheme.Primary.colorTextQuaternary : HusTheme.Primary.colorTextDisabled
    selectionColor: HusThemeFunctions.alpha(HusTheme.Primary.colorPrimary, 0.3)
    selectedTextColor: colorText
    font.family: HusTheme.Primary.fontPrimaryFamily
    font.pixelSize: HusTheme.Primary.fontPrimarySize
    renderType: Text.NativeRendering

    background: Rectangle {
        implicitWidth: 160
        implicitHeight: 32
        radius: control.radiusBg
        color: control.colorBg
        border.width: 1
        border.color: control.colorBorder
        Behavior on border.color { enabled: control.animationEnabled; ColorAnimation { duration: HusTheme.Primary.durationMid } }
    }

    Text {
        anchors.fill: parent
        anchors.leftMargin: control.leftPadding
        anchors.rightMargin: control.rightPadding
        visible: control.text.length === 0 && control.preeditText.length === 0
        text: control.placeholderText
        font: control.font
        color: control.placeholderTextColor
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
        renderType: Text.NativeRendering
    }

    HusIconText {
        anchors.verticalCenter: parent.verticalCenter
        x: control.iconPosition === HusInput.Position_Left ? 11
                                                            : control.width - 11 - control.__clearRoom - width
        iconSource: control.iconSource
        iconSize: control.iconSize
        colorIcon: control.colorIcon
    }

    HusIconText {
        id: clearIcon
        anchors.verticalCenter: parent.verticalCenter
        anchors.right: parent.right
        anchors.rightMargin: 11
        visible: control.__clearShown
        iconSource: control.clearIconSource
        iconSize: control.clearIconSize
        colorIcon: clearArea.containsMouse ? HusTheme.Primary.colorTextSecondary : HusTheme.Primary.colorTextQuaternary

        MouseArea {
            id: clearArea
            anchors.fill: parent
            anchors.margins: -4
            hoverEnabled: true
            cursorShape: Qt.PointingHandCursor
            onClicked: {
                control.clear();
                control.forceActiveFocus();
                control.textEdited();
                control.clickClear();
            }
        }
    }
}
