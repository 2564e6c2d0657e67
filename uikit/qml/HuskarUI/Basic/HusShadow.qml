import QtQuick 2.15
import HuskarUI.Basic 1.0

// A soft drop shadow for floating panels, drawn as widening translucent rings
// behind the panel (cheaper than an effect pass for the many small popups).
Item {
    id: shadow

    property real radius: HusTheme.Primary.radiusPrimaryLG
    property int spread: 8
    property color color: HusTheme.Primary.colorShadow
    property int offsetY: 3

    Repeater {
        model: shadow.spread
        Rectangle {
            required property int index
            x: -index
            y: -index + shadow.offsetY
            width: shadow.width + 2 * index
            height: shadow.height + 2 * index
            radius: shadow.radius + index
            color: "transparent"
            border.width: 1
            border.color: Qt.rgba(shadow.color.r, shadow.color.g, shadow.color.b,
                                  shadow.color.a * 0.55 * Math.pow(1 - index / shadow.spread, 2))
        }
    }
}
