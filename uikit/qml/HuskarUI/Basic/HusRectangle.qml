import QtQuick 2.15
import QtQuick.Shapes 1.15
import HuskarUI.Basic 1.0

// A rectangle whose corners can each have their own radius; a corner radius
// left at -1 takes `radius`.
Item {
    id: control

    property color color: HusTheme.Primary.colorBgContainer
    property real radius: 0
    property real topLeftRadius: -1
    property real topRightRadius: -1
    property real bottomLeftRadius: -1
    property real bottomRightRadius: -1
    property alias border: pen.border

    readonly property real __limit: Math.min(width, height) / 2
    readonly property real __tl: Math.min(topLeftRadius < 0 ? radius : topLeftRadius, __limit)
    readonly property real __tr: Math.min(topRightRadius < 0 ? radius : topRightRadius, __limit)
    readonly property real __bl: Math.min(bottomLeftRadius < 0 ? radius : bottomLeftRadius, __limit)
    readonly property real __br: Math.min(bottomRightRadius < 0 ? radius : bottomRightRadius, __limit)
    readonly property real __inset: border.width > 0 ? border.width / 2 : 0

    // Holds the border settings only; the shape below draws them.
    Rectangle {
        id: pen
        visible: false
        border.width: 0
        border.color: HusTheme.Primary.colorBorder
    }

    Shape {
        anchors.fill: parent
        layer.enabled: true
        layer.samples: 4
        layer.smooth: true

        ShapePath {
            fillColor: control.color
            strokeColor: control.border.width > 0 ? control.border.color : "transparent"
            strokeWidth: control.border.width > 0 ? control.border.width : -1
            joinStyle: ShapePath.MiterJoin
            startX: control.__inset + control.__tl
            startY: control.__inset

            PathLine { x: control.width - control.__inset - control.__tr; y: control.__inset }
            PathArc {
                x: control.width - control.__inset
                y: control.__inset + control.__tr
                radiusX: control.__tr
                radiusY: control.__tr
            }
            PathLine { x: control.width - control.__inset; y: control.height - control.__inset - control.__br }
            PathArc {
                x: control.width - control.__inset - control.__br
                y: control.height - control.__inset
                radiusX: control.__br
                radiusY: control.__br
            }
            PathLine { x: control.__inset + control.__bl; y: control.height - control.__inset }
            PathArc {
                x: control.__inset
                y: control.height - control.__inset - control.__bl
                radiusX: control.__bl
                radiusY: control.__bl
            }
            PathLine { x: control.__inset; y: control.__inset + control.__tl }
            PathArc {
                x: control.__inset + control.__tl
                y: control.__inset
                radiusX: control.__tl
                radiusY: control.__tl
            }
        }
    }
}
