import QtQuick 2.15
import HuskarUI.Basic 1.0

// Slides from initModel, each made by contentDelegate, which sees its entry as
// `model.<field>`, `modelData` and `index`. With `infinite` the first slide
// follows the last; with `autoplay` it moves on every autoplaySpeed ms while
// the pointer is not over it.
Item {
    id: control

    property bool animationEnabled: HusTheme.animationEnabled
    property var initModel: []
    property Component contentDelegate: null
    property bool infinite: true
    property bool autoplay: false
    property int autoplaySpeed: 3000
    property int speed: 500
    property bool indicatorVisible: true
    property bool draggable: true
    property color colorIndicator: "#ffffff"
    property alias currentIndex: view.currentIndex
    readonly property int count: slides.count

    function switchTo(index) {
        if (index >= 0 && index < slides.count)
            view.currentIndex = index;
    }

    function switchToNext() {
        if (slides.count < 2 || (!infinite && view.currentIndex === slides.count - 1))
            return;
        view.incrementCurrentIndex();
    }

    function switchToPrev() {
        if (slides.count < 2 || (!infinite && view.currentIndex === 0))
            return;
        view.decrementCurrentIndex();
    }

    onInitModelChanged: {
        slides.clear();
        for (const object of Array.from(initModel || [])) {
            const entry = Object.assign({}, object);
            entry.modelData = object;
            slides.append(entry);
        }
    }

    clip: true

    ListModel {
        id: slides
        dynamicRoles: true
    }

    PathView {
        id: view
        anchors.fill: parent
        model: slides
        delegate: control.contentDelegate
        interactive: control.draggable && slides.count > 1
        snapMode: PathView.SnapOneItem
        highlightRangeMode: PathView.StrictlyEnforceRange
        preferredHighlightBegin: 0.5
        preferredHighlightEnd: 0.5
        highlightMoveDuration: control.animationEnabled ? control.speed : 0
        pathItemCount: Math.max(1, slides.count)
        path: Path {
            startX: view.width / 2 - view.width * view.pathItemCount / 2
            startY: view.height / 2
            PathLine {
                x: view.width / 2 + view.width * view.pathItemCount / 2
                y: view.height / 2
            }
        }
    }

    HoverHandler { id: hover }

    Timer {
        running: control.autoplay && slides.count > 1 && !hover.hovered && !view.moving
        interval: control.autoplaySpeed
        repeat: true
        onTriggered: control.switchToNext()
    }

    Row {
        visible: control.indicatorVisible && slides.count > 1
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 12
        spacing: 6

        Repeater {
            model: slides.count
            delegate: Rectangle {
                required property int index
                readonly property bool current: view.currentIndex === index
                width: current ? 24 : 16
                height: 3
                radius: 1.5
                color: control.colorIndicator
                opacity: current ? 1 : 0.4
                Behavior on width { enabled: control.animationEnabled; NumberAnimation { duration: HusTheme.Primary.durationMid } }

                MouseArea {
                    anchors.fill: parent
                    anchors.margins: -6
                    cursorShape: Qt.PointingHandCursor
                    onClicked: control.switchTo(parent.index)
                }
            }
        }
    }
}
