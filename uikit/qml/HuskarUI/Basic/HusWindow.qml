import QtQuick 2.15
import QtQuick.Window 2.15
import HuskarUI.Basic 1.0

// A frameless window with our own caption bar (captionBar), resizable from its
// edges. Content declared inside goes under the caption bar's stacking level;
// place it at y = captionBar.height.
Window {
    id: window

    property alias captionBar: caption
    property bool followThemeSwitch: true
    property int resizeBorderWidth: 6
    readonly property bool __resizable: visibility !== Window.Maximized && visibility !== Window.FullScreen
                                        && (minimumWidth !== maximumWidth || minimumHeight !== maximumHeight)

    flags: Qt.Window | Qt.FramelessWindowHint | Qt.WindowSystemMenuHint | Qt.WindowMinMaxButtonsHint
    color: followThemeSwitch ? HusTheme.Primary.colorBgBase : "#ffffff"

    HusCaptionBar {
        id: caption
        z: 65535
        width: parent.width
        targetWindow: window
    }

    // A hairline frame, since a frameless window has no border of its own.
    Rectangle {
        anchors.fill: parent
        z: 65534
        color: "transparent"
        border.width: window.visibility === Window.Maximized ? 0 : 1
        border.color: HusTheme.Primary.colorBorder
    }

    Repeater {
        model: [
            { edges: Qt.LeftEdge, cursor: Qt.SizeHorCursor },
            { edges: Qt.RightEdge, cursor: Qt.SizeHorCursor },
            { edges: Qt.TopEdge, cursor: Qt.SizeVerCursor },
            { edges: Qt.BottomEdge, cursor: Qt.SizeVerCursor },
            { edges: Qt.LeftEdge | Qt.TopEdge, cursor: Qt.SizeFDiagCursor },
            { edges: Qt.RightEdge | Qt.BottomEdge, cursor: Qt.SizeFDiagCursor },
            { edges: Qt.RightEdge | Qt.TopEdge, cursor: Qt.SizeBDiagCursor },
            { edges: Qt.LeftEdge | Qt.BottomEdge, cursor: Qt.SizeBDiagCursor }
        ]

        delegate: MouseArea {
            id: grip

            required property var modelData
            readonly property int edges: modelData.edges
            readonly property int thickness: window.resizeBorderWidth
            readonly property bool atLeft: edges & Qt.LeftEdge
            readonly property bool atRight: edges & Qt.RightEdge
            readonly property bool atTop: edges & Qt.TopEdge
            readonly property bool atBottom: edges & Qt.BottomEdge
            property point pressPoint
            property rect pressGeometry
            property bool manual: false

            z: 65536
            enabled: window.__resizable
            cursorShape: modelData.cursor
            x: atLeft ? 0 : atRight ? window.width - thickness : thickness
            y: atTop ? 0 : atBottom ? window.height - thickness : thickness
            width: atLeft || atRight ? thickness : window.width - 2 * thickness
            height: atTop || atBottom ? thickness : window.height - 2 * thickness

            onPressed: mouse => {
                manual = !window.startSystemResize(edges);
                const global = mapToGlobal(mouse.x, mouse.y);
                pressPoint = Qt.point(global.x, global.y);
                pressGeometry = Qt.rect(window.x, window.y, window.width, window.height);
            }
            onPositionChanged: mouse => {
                if (!manual || !pressed)
                    return;
                const global = mapToGlobal(mouse.x, mouse.y);
                const dx = global.x - pressPoint.x;
                const dy = global.y - pressPoint.y;
                const g = pressGeometry;
                const minW = Math.max(window.minimumWidth, 100);
                const minH = Math.max(window.minimumHeight, caption.height + 20);
                if (atRight)
                    window.width = Math.max(minW, g.width + dx);
                if (atBottom)
                    window.height = Math.max(minH, g.height + dy);
                if (atLeft) {
                    const w = Math.max(minW, g.width - dx);
                    window.x = g.x + g.width - w;
                    window.width = w;
                }
                if (atTop) {
                    const h = Math.max(minH, g.height - dy);
                    window.y = g.y + g.height - h;
                    window.height = h;
                }
            }
        }
    }
}
