import QtQuick 2.15
import QtQuick.Controls 2.15
import HuskarUI.Basic 1.0

// An image with a placeholder shown while it loads (an image address or a
// Component), a fallback when it fails, and a click-to-preview list: `items`
// holds addresses or {url} entries; empty, the image previews itself.
Image {
    id: control

    property var placeholder: undefined
    property url fallback: ""
    property bool previewEnabled: true
    property var items: []
    property color colorBg: HusTheme.Primary.colorFillQuaternary

    readonly property var __previewUrls: {
        const list = Array.from(items || []).map(item => item !== null && item !== undefined && item.url !== undefined ? item.url : item);
        return list.length > 0 ? list : [source];
    }
    readonly property bool __placeholderIsComponent: placeholder !== undefined && placeholder !== null
                                                     && typeof placeholder === "object" && typeof placeholder.createObject === "function"

    asynchronous: true
    cache: true

    Rectangle {
        anchors.fill: parent
        z: -1
        visible: control.status !== Image.Ready
        color: control.colorBg

        Image {
            anchors.fill: parent
            visible: control.status === Image.Loading && !control.__placeholderIsComponent
            source: control.__placeholderIsComponent || control.placeholder === undefined || control.placeholder === null
                    ? "" : control.placeholder
            fillMode: control.fillMode
            asynchronous: true
        }

        Loader {
            anchors.fill: parent
            active: control.status === Image.Loading && control.__placeholderIsComponent
            sourceComponent: control.__placeholderIsComponent ? control.placeholder : null
        }

        Image {
            anchors.fill: parent
            visible: control.status === Image.Error && String(control.fallback).length > 0
            source: control.status === Image.Error ? control.fallback : ""
            fillMode: Image.PreserveAspectFit
        }

        HusIconText {
            anchors.centerIn: parent
            visible: control.status === Image.Error && String(control.fallback).length === 0
                     || control.status === Image.Loading && (control.placeholder === undefined || control.placeholder === null)
            iconSource: HusIcon.PictureOutlined
            iconSize: Math.max(16, Math.min(48, Math.min(control.width, control.height) / 3))
            colorIcon: HusTheme.Primary.colorTextQuaternary
        }
    }

    MouseArea {
        anchors.fill: parent
        enabled: control.previewEnabled && control.status === Image.Ready
        cursorShape: enabled ? Qt.PointingHandCursor : Qt.ArrowCursor
        onClicked: {
            preview.current = 0;
            preview.open();
        }
    }

    Popup {
        id: preview
        objectName: "imagePreview"

        property int current: 0
        property real zoom: 1
        readonly property url shownUrl: control.__previewUrls[current]

        parent: Overlay.overlay
        width: parent ? parent.width : 0
        height: parent ? parent.height : 0
        modal: true
        padding: 0
        closePolicy: Popup.CloseOnEscape
        onAboutToShow: zoom = 1

        background: Rectangle { color: HusTheme.Primary.colorBgMask }

        contentItem: Item {
            MouseArea {
                anchors.fill: parent
                onClicked: preview.close()
                onWheel: wheel => preview.zoom = Math.max(0.2, Math.min(5, preview.zoom * (wheel.angleDelta.y > 0 ? 1.1 : 0.9)))
            }

            Image {
                anchors.centerIn: parent
                width: parent.width * 0.85
                height: parent.height * 0.85
                scale: preview.zoom
                fillMode: Image.PreserveAspectFit
                asynchronous: true
                source: preview.visible ? preview.shownUrl : ""
            }

            Row {
                anchors.top: parent.top
                anchors.right: parent.right
                anchors.margins: 12
                spacing: 4

                Repeater {
                    model: [
                        { icon: HusIcon.ZoomOutOutlined, act: () => preview.zoom = Math.max(0.2, preview.zoom * 0.8) },
                        { icon: HusIcon.ZoomInOutlined, act: () => preview.zoom = Math.min(5, preview.zoom * 1.25) },
                        { icon: HusIcon.CloseOutlined, act: () => preview.close() }
                    ]
                    delegate: HusIconButton {
                        required property var modelData
                        type: HusButton.Type_Text
                        shape: HusButton.Shape_Circle
                        iconSource: modelData.icon
                        colorIcon: "#ffffff"
                        colorBg: hovered ? "#40ffffff" : "#26000000"
                        onClicked: modelData.act()
                    }
                }
            }

            HusIconButton {
                visible: control.__previewUrls.length > 1
                anchors.left: parent.left
                anchors.leftMargin: 16
                anchors.verticalCenter: parent.verticalCenter
                type: HusButton.Type_Text
                shape: HusButton.Shape_Circle
                iconSource: HusIcon.LeftOutlined
                colorIcon: "#ffffff"
                colorBg: hovered ? "#40ffffff" : "#26000000"
                onClicked: preview.current = (preview.current + control.__previewUrls.length - 1) % control.__previewUrls.length
            }

            HusIconButton {
                visible: control.__previewUrls.length > 1
                anchors.right: parent.right
                anchors.rightMargin: 16
                anchors.verticalCenter: parent.verticalCenter
                type: HusButton.Type_Text
                shape: HusButton.Shape_Circle
                iconSource: HusIcon.RightOutlined
                colorIcon: "#ffffff"
                colorBg: hovered ? "#40ffffff" : "#26000000"
                onClicked: preview.current = (preview.current + 1) % control.__previewUrls.length
            }
        }
    }
}
