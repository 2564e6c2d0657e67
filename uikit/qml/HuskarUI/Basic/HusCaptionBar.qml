import QtQuick 2.15
import QtQuick.Window 2.15
import HuskarUI.Basic 1.0

// The title bar of a frameless window: icon, title, and the theme, stay-on-top,
// minimise, maximise and close buttons. Dragging it moves the window, a double
// click maximises or restores it.
Rectangle {
    id: control

    property var targetWindow: Window.window
    property url winIcon: ""
    property int winIconWidth: 20
    property int winIconHeight: 20
    property bool winIconVisible: true
    property string winTitle: targetWindow ? targetWindow.title : ""
    property font winTitleFont: Qt.font({ family: HusTheme.Primary.fontPrimaryFamily, pixelSize: 14 })
    property color winTitleColor: HusTheme.Primary.colorTextBase
    property bool winTitleVisible: true
    property bool returnButtonVisible: false
    property bool themeButtonVisible: false
    property bool topButtonVisible: false
    property bool minimizeButtonVisible: true
    property bool maximizeButtonVisible: true
    property bool closeButtonVisible: true
    property alias topButtonChecked: topButton.checked

    property var returnCallback: () => {}
    property var themeCallback: () => { HusTheme.isDark = !HusTheme.isDark; }
    property var topCallback: checked => { HusApi.setWindowStaysOnTopHint(control.targetWindow, checked); }
    property var minimizeCallback: () => { if (control.targetWindow) control.targetWindow.showMinimized(); }
    property var maximizeCallback: () => {
        if (!control.targetWindow)
            return;
        if (control.targetWindow.visibility === Window.Maximized)
            control.targetWindow.showNormal();
        else
            control.targetWindow.showMaximized();
    }
    property var closeCallback: () => { if (control.targetWindow) control.targetWindow.close(); }

    property Component winIconDelegate: Image {
        source: control.winIcon
        width: control.winIconWidth
        height: control.winIconHeight
        sourceSize: Qt.size(width, height)
        fillMode: Image.PreserveAspectFit
    }
    property Component winTitleDelegate: Text {
        text: control.winTitle
        font: control.winTitleFont
        color: control.winTitleColor
        elide: Text.ElideRight
        renderType: Text.NativeRendering
    }

    readonly property bool __maximized: targetWindow ? targetWindow.visibility === Window.Maximized : false

    height: 30
    color: HusTheme.Primary.colorCaptionBarBg

    // Moves the window: the window manager's own move where there is one,
    // otherwise by following the pointer.
    MouseArea {
        id: dragArea

        property point pressPoint
        property bool manual: false

        anchors.fill: parent
        acceptedButtons: Qt.LeftButton
        onPressed: mouse => {
            manual = !(control.targetWindow && control.targetWindow.startSystemMove());
            pressPoint = Qt.point(mouse.x, mouse.y);
        }
        onPositionChanged: mouse => {
            if (manual && pressed && control.targetWindow && !control.__maximized) {
                control.targetWindow.x += mouse.x - pressPoint.x;
                control.targetWindow.y += mouse.y - pressPoint.y;
            }
        }
        onDoubleClicked: {
            if (control.maximizeButtonVisible)
                control.maximizeCallback();
        }
    }

    Row {
        id: titleRow
        anchors.left: parent.left
        anchors.leftMargin: 8
        anchors.verticalCenter: parent.verticalCenter
        anchors.right: buttons.left
        anchors.rightMargin: 8
        spacing: 8

        HusCaptionButton {
            visible: control.returnButtonVisible
            height: control.height
            iconSource: HusIcon.ArrowLeftOutlined
            onClicked: control.returnCallback()
        }

        Loader {
            anchors.verticalCenter: parent.verticalCenter
            visible: control.winIconVisible
            sourceComponent: control.winIconDelegate
        }

        Loader {
            id: titleLoader
            anchors.verticalCenter: parent.verticalCenter
            visible: control.winTitleVisible
            sourceComponent: control.winTitleDelegate
            // Long titles elide before the buttons instead of running under them.
            onLoaded: item.width = Qt.binding(() => Math.max(0, Math.min(item.implicitWidth, titleRow.width - titleLoader.x)))
        }
    }

    Row {
        id: buttons
        anchors.right: parent.right
        height: parent.height

        HusCaptionButton {
            id: themeButton
            visible: control.themeButtonVisible
            height: parent.height
            iconSource: HusTheme.isDark ? HusIcon.SunOutlined : HusIcon.MoonOutlined
            contentDescription: qsTr("切换主题")
            onClicked: control.themeCallback()
        }

        HusCaptionButton {
            id: topButton
            visible: control.topButtonVisible
            height: parent.height
            checkable: true
            iconSource: checked ? HusIcon.PushpinFilled : HusIcon.PushpinOutlined
            colorIcon: checked ? HusTheme.Primary.colorPrimary : HusTheme.Primary.colorTextBase
            contentDescription: checked ? qsTr("取消置顶") : qsTr("置顶")
            onToggled: control.topCallback(checked)
        }

        HusCaptionButton {
            visible: control.minimizeButtonVisible
            height: parent.height
            iconSource: HusIcon.LineOutlined
            contentDescription: qsTr("最小化")
            onClicked: control.minimizeCallback()
        }

        HusCaptionButton {
            visible: control.maximizeButtonVisible
            height: parent.height
            iconSource: control.__maximized ? HusIcon.SwitcherOutlined : HusIcon.BorderOutlined
            contentDescription: control.__maximized ? qsTr("还原") : qsTr("最大化")
            onClicked: control.maximizeCallback()
        }

        HusCaptionButton {
            visible: control.closeButtonVisible
            height: parent.height
            isError: true
            iconSource: HusIcon.CloseOutlined
            contentDescription: qsTr("关闭")
            onClicked: control.closeCallback()
        }
    }
}
