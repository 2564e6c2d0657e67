import QtQuick 2.15
import HuskarUI.Basic 1.0

HusButton {
    id: control

    enum IconPosition {
        Position_Start,
        Position_End
    }

    property var iconSource: 0
    property int iconSize: HusTheme.Primary.fontPrimarySize + 2
    property int iconSpacing: 6
    property int iconPosition: HusIconButton.Position_Start
    property color colorIcon: colorText
    property bool loading: false

    readonly property bool __hasText: text.length > 0

    leftPadding: __hasText ? (type === HusButton.Type_Link ? 4 : 15) : 8
    rightPadding: leftPadding

    contentItem: Item {
        implicitWidth: row.implicitWidth
        implicitHeight: row.implicitHeight

        Row {
            id: row
            anchors.centerIn: parent
            spacing: control.__hasText && icon.hasIcon ? control.iconSpacing : 0
            layoutDirection: control.iconPosition === HusIconButton.Position_End ? Qt.RightToLeft : Qt.LeftToRight

            HusIconText {
                id: icon
                anchors.verticalCenter: parent.verticalCenter
                iconSource: control.loading ? HusIcon.LoadingOutlined : control.iconSource
                iconSize: control.iconSize
                colorIcon: control.colorIcon

                RotationAnimation on rotation {
                    running: control.loading
                    from: 0
                    to: 360
                    loops: Animation.Infinite
                    duration: 1000
                }
            }

            Text {
                anchors.verticalCenter: parent.verticalCenter
                visible: control.__hasText
                text: control.text
                font: control.font
                color: control.colorText
                elide: Text.ElideRight
                renderType: Text.NativeRendering
            }
        }
    }
}
