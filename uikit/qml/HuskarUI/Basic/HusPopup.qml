import QtQuick 2.15
import QtQuick.Templates 2.15 as T
import HuskarUI.Basic 1.0

// A themed popup. With movable/resizable the operator drags it by its body or
// resizes it from its edges; it always stays inside its parent item and never
// gets smaller than minimumWidth x minimumHeight.
T.Popup {
    id: control

    property bool animationEnabled: HusTheme.animationEnabled
    property bool movable: false
    property bool resizable: false
    property real minimumWidth: 0
    property real minimumHeight: 0
    property real maximumWidth: Number.POSITIVE_INFINITY
    property real maximumHeight: Number.POSITIVE_INFINITY
    property int resizeBorderWidth: 6
    property color colorBg: HusTheme.Primary.colorBgElevated
    property color colorBorder: HusTheme.isDark ? HusTheme.Primary.colorBorderSecondary : "transparent"
    property int radiusBg: HusTheme.Primary.radiusPrimaryLG

    readonly property Item __bounds: parent
    readonly property real __boundsWidth: __bounds ? __bounds.width : 0
    readonly property real __boundsHeight: __bounds ? __bounds.height : 0

    // Moves and sizes the popup to the nearest geometry inside its parent.
    function keepInside() {
        if (!__bounds)
            return;
        const w = Math.max(minimumWidth, Math.min(width, maximumWidth, __boundsWidth));
        const h = Math.max(minimumHeight, Math.min(height, maximumHeight, __boundsHeight));
        if (w !== width)
            width = w;
        if (h !== height)
            height = h;
        const nx = Math.max(0, Math.min(x, __boundsWidth - width));
        const ny = Math.max(0, Math.min(y, __boundsHeight - height));
        if (nx !== x)
            x = nx;
        if (ny !== y)
            y = ny;
    }

    function __detach() {
        // Anchors would put the popup back where the operator moved it from.
        if (anchors.centerIn) {
            const px = x, py = y;
            anchors.centerIn = undefined;
            x = px;
            y = py;
        }
    }

    // Only a popup the operator can move or resize is held inside; others go
    // where their owner puts them (a drop-down hangs below its field).
    on__BoundsWidthChanged: if (opened && (movable || resizable)) keepInside()
    on__BoundsHeightChanged: if (opened && (movable || resizable)) keepInside()
    onOpened: if (movable || resizable) keepInside()

    padding: 0
    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset,
                             implicitContentHeight + topPadding + bottomPadding)
    font.family: HusTheme.Primary.fontPrimaryFamily
    font.pixelSize: HusTheme.Primary.fontPrimarySize

    background: Rectangle {
        color: control.colorBg
        radius: control.radiusBg
        border.width: 1
        border.color: control.colorBorder

        HusShadow {
            anchors.fill: parent
            radius: parent.radius
            spread: 10
            z: -1
        }

        MouseArea {
            property point pressPoint
            anchors.fill: parent
            enabled: control.movable
            cursorShape: pressed ? Qt.ClosedHandCursor : Qt.ArrowCursor
            onPressed: mouse => {
                control.__detach();
                pressPoint = Qt.point(mouse.x, mouse.y);
            }
            onPositionChanged: mouse => {
                control.x = Math.max(0, Math.min(control.x + mouse.x - pressPoint.x, control.__boundsWidth - control.width));
                control.y = Math.max(0, Math.min(control.y + mouse.y - pressPoint.y, control.__boundsHeight - control.height));
            }
        }
    }

    Repeater {
        parent: control.background
        model: control.resizable ? [Qt.RightEdge, Qt.BottomEdge, Qt.LeftEdge, Qt.TopEdge,
                                    Qt.RightEdge | Qt.BottomEdge, Qt.LeftEdge | Qt.TopEdge,
                                    Qt.RightEdge | Qt.TopEdge, Qt.LeftEdge | Qt.BottomEdge] : []

        delegate: MouseArea {
            required property int modelData
            readonly property bool atLeft: modelData & Qt.LeftEdge
            readonly property bool atRight: modelData & Qt.RightEdge
            readonly property bool atTop: modelData & Qt.TopEdge
            readonly property bool atBottom: modelData & Qt.BottomEdge
            readonly property int thickness: control.resizeBorderWidth
            property point pressPoint
            property rect pressGeometry

            z: 10
            x: atLeft ? 0 : atRight ? parent.width - thickness : thickness
            y: atTop ? 0 : atBottom ? parent.height - thickness : thickness
            width: atLeft || atRight ? thickness : parent.width - 2 * thickness
            height: atTop || atBottom ? thickness : parent.height - 2 * thickness
            cursorShape: (atLeft && atTop) || (atRight && atBottom) ? Qt.SizeFDiagCursor
                       : (atRight && atTop) || (atLeft && atBottom) ? Qt.SizeBDiagCursor
                       : atLeft || atRight ? Qt.SizeHorCursor : Qt.SizeVerCursor

            onPressed: mouse => {
                control.__detach();
                const p = mapToItem(control.__bounds, mouse.x, mouse.y);
                pressPoint = Qt.point(p.x, p.y);
                pressGeometry = Qt.rect(control.x, control.y, control.width, control.height);
            }
            onPositionChanged: mouse => {
                const p = mapToItem(control.__bounds, mouse.x, mouse.y);
                const dx = p.x - pressPoint.x;
                const dy = p.y - pressPoint.y;
                const g = pressGeometry;
                const minW = control.minimumWidth, minH = control.minimumHeight;
                const maxW = control.maximumWidth, maxH = control.maximumHeight;
                if (atRight)
                    control.width = Math.max(minW, Math.min(g.width + dx, maxW, control.__boundsWidth - g.x));
                if (atBottom)
                    control.height = Math.max(minH, Math.min(g.height + dy, maxH, control.__boundsHeight - g.y));
                if (atLeft) {
                    const w = Math.max(minW, Math.min(g.width - dx, maxW, g.x + g.width));
                    control.x = g.x + g.width - w;
                    control.width = w;
                }
                if (atTop) {
                    const h = Math.max(minH, Math.min(g.height - dy, maxH, g.y + g.height));
                    control.y = g.y + g.height - h;
                    control.height = h;
                }
            }
        }
    }

    enter: Transition {
        // A zero-length transition would leave the popup deaf to clicks.
        enabled: control.animationEnabled
        NumberAnimation { property: "opacity"; from: 0; to: 1; duration: HusTheme.Primary.durationMid }
        NumberAnimation { property: "scale"; from: 0.96; to: 1; duration: HusTheme.Primary.durationMid; easing.type: Easing.OutCubic }
    }
    exit: Transition {
        enabled: control.animationEnabled
        NumberAnimation { property: "opacity"; from: 1; to: 0; duration: HusTheme.Primary.durationFast }
    }
}
