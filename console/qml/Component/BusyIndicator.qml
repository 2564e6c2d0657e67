import QtQuick 2.15

// A spinning half ring: the wait sign of the server pages.
Item {
    id: root

    property color color: "#2196F3"
    property real size: 48
    property real strokeWidth: size / 10
    property int duration: 1000

    implicitWidth: size
    implicitHeight: size

    onColorChanged: canvas.requestPaint()
    onSizeChanged: canvas.requestPaint()
    onStrokeWidthChanged: canvas.requestPaint()
    // A canvas that was hidden when it would have painted stays blank otherwise.
    onVisibleChanged: if (visible) canvas.requestPaint()

    Canvas {
        id: canvas
        anchors.fill: parent
        antialiasing: true

        onPaint: {
            const ctx = getContext("2d");
            ctx.reset();
            const radius = (Math.min(width, height) - root.strokeWidth) / 2;
            if (radius <= 0)
                return;
            ctx.beginPath();
            ctx.arc(width / 2, height / 2, radius, -Math.PI / 2, Math.PI / 2, false);
            ctx.lineWidth = root.strokeWidth;
            ctx.strokeStyle = root.color;
            ctx.stroke();
        }

        RotationAnimation on rotation {
            from: 0
            to: 360
            duration: root.duration
            loops: Animation.Infinite
        }
    }
}
