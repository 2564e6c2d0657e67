import QtQuick 2.15
import HuskarUI.Basic 1.0

// A small label. presetColor takes a palette name ("red", "green", "geekblue",
// "purple", ...) or any colour, which gives a solid tag.
Rectangle {
    id: control

    signal close()

    property string text: ""
    property string presetColor: ""
    property var iconSource: 0
    property int iconSize: 12
    property bool closable: false
    property var closeIconSource: HusIcon.CloseOutlined
    property font font: Qt.font({ family: HusTheme.Primary.fontPrimaryFamily, pixelSize: HusTheme.Primary.fontPrimarySizeSM })
    property color colorText: __palette ? __palette[0] : __solid ? "#ffffff" : HusTheme.Primary.colorTextBase
    property color colorBg: __palette ? __palette[1] : __solid ? presetColor : HusTheme.Primary.colorFillQuaternary
    property color colorBorder: __palette ? __palette[2] : __solid ? "transparent" : HusTheme.Primary.colorBorder
    property color colorIcon: colorText
    property int radiusBg: HusTheme.Primary.radiusPrimarySM

    // [text, background, border] for light and dark.
    readonly property var __palettes: ({
        red: [["#cf1322", "#fff1f0", "#ffa39e"], ["#e84749", "#2a1215", "#58181c"]],
        volcano: [["#d4380d", "#fff2e8", "#ffbb96"], ["#e87040", "#2b1611", "#592716"]],
        orange: [["#d46b08", "#fff7e6", "#ffd591"], ["#e89a3c", "#2b1d11", "#593815"]],
        gold: [["#d48806", "#fffbe6", "#ffe58f"], ["#e8b339", "#2b2111", "#594214"]],
        yellow: [["#d4b106", "#feffe6", "#fffb8f"], ["#e8d639", "#2b2611", "#595014"]],
        lime: [["#7cb305", "#fcffe6", "#eaff8f"], ["#a9d134", "#1f2611", "#3e4f13"]],
        green: [["#389e0d", "#f6ffed", "#b7eb8f"], ["#6abe39", "#162312", "#274916"]],
        cyan: [["#08979c", "#e6fffb", "#87e8de"], ["#33bcb7", "#112123", "#144848"]],
        blue: [["#0958d9", "#e6f4ff", "#91caff"], ["#3c89e8", "#111a2c", "#15325b"]],
        geekblue: [["#1d39c4", "#f0f5ff", "#adc6ff"], ["#5273e0", "#131629", "#1c2755"]],
        purple: [["#531dab", "#f9f0ff", "#d3adf7"], ["#854eca", "#1a1325", "#301c4d"]],
        magenta: [["#c41d7f", "#fff0f6", "#ffadd2"], ["#e0529c", "#291321", "#551c3b"]]
    })
    readonly property var __palette: {
        const p = __palettes[presetColor];
        return p ? p[HusTheme.isDark ? 1 : 0] : null;
    }
    readonly property bool __solid: !__palette && presetColor.length > 0

    implicitWidth: row.implicitWidth + 16
    implicitHeight: Math.max(22, row.implicitHeight + 4)
    radius: radiusBg
    color: colorBg
    border.width: 1
    border.color: colorBorder

    Row {
        id: row
        anchors.centerIn: parent
        spacing: 4

        HusIconText {
            anchors.verticalCenter: parent.verticalCenter
            iconSource: control.iconSource
            iconSize: control.iconSize
            colorIcon: control.colorIcon
        }

        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: control.text
            font: control.font
            color: control.colorText
            renderType: Text.NativeRendering
        }

        HusIconText {
            anchors.verticalCenter: parent.verticalCenter
            visible: control.closable
            iconSource: control.closeIconSource
            iconSize: 10
            colorIcon: closeArea.containsMouse ? control.colorText : HusThemeFunctions.alpha(control.colorText, 0.6)

            MouseArea {
                id: closeArea
                anchors.fill: parent
                anchors.margins: -3
                hoverEnabled: true
                cursorShape: Qt.PointingHandCursor
                onClicked: control.close()
            }
        }
    }
}
