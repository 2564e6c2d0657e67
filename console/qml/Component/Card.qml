import QtQuick 2.15
import QtGraphicalEffects 1.15

// A clickable rounded panel that lifts on hover and sinks when pressed.
// The callbacks run on the next turn of the event loop, never inside the
// mouse event, so one may destroy the card's page safely.
Item {
    id: card

    default property alias content: contentItem.children
    property real elevation: 8
    property real hoverScale: 1.05
    property real pressedScale: 0.95
    property bool isDarkMode: false
    property color cardColor: isDarkMode ? "#2d2d2d" : "#f5f5f5"
    property color shadowColor: isDarkMode ? "#20ffffff" : "#40000000"
    property color pressedColor: isDarkMode ? "#20ffffff" : "#40000000"
    property var onHoverEnter
    property var onHoverExit
    property var onClicked

    implicitWidth: 300
    implicitHeight: 200

    function schedule(callback) {
        if (typeof callback === "function")
            Qt.callLater(callback);
    }

    // The pointer area holds the panel rather than lying over it: buttons in
    // the content still get their clicks, hovering them still counts as
    // hovering the card, and the area does not shrink with a pressed panel.
    MouseArea {
        id: pointer
        anchors.fill: parent
        hoverEnabled: true
        onEntered: {
            card.z = 999;
            card.schedule(card.onHoverEnter);
        }
        onExited: {
            card.z = 0;
            card.schedule(card.onHoverExit);
        }
        onClicked: card.schedule(card.onClicked)

        DropShadow {
            anchors.fill: panel
            source: panel
            scale: panel.scale
            samples: 16
            radius: 8
            horizontalOffset: 0
            verticalOffset: card.elevation
            color: card.shadowColor
        }

        Rectangle {
            id: panel
            objectName: "panel"
            anchors.fill: parent
            radius: 8
            color: card.cardColor
            antialiasing: true
            scale: pointer.pressed ? card.pressedScale : pointer.containsMouse ? card.hoverScale : 1

            Behavior on scale {
                NumberAnimation { duration: 200; easing.type: Easing.OutQuad }
            }

            Rectangle {
                anchors.fill: parent
                radius: parent.radius
                antialiasing: true
                color: card.pressedColor
                opacity: pointer.pressed ? 0.4 : 0

                Behavior on opacity {
                    NumberAnimation { duration: 100 }
                }
            }

            Item {
                id: contentItem
                anchors.fill: parent
                anchors.margins: 16
            }
        }
    }
}
