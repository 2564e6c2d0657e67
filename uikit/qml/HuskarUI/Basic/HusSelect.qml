import QtQuick 2.15
import QtQuick.Templates 2.15 as T
import HuskarUI.Basic 1.0

// A drop-down chooser over a model of {label, value} items (or plain strings).
T.ComboBox {
    id: control

    property bool animationEnabled: HusTheme.animationEnabled
    property bool tooltipVisible: false
    property bool loading: false
    property int defaultPopupMaxHeight: 240
    property int defaultOptionHeight: 32
    property color colorText: enabled ? HusTheme.Primary.colorTextBase : HusTheme.Primary.colorTextDisabled
    property color colorBorder: !enabled ? HusTheme.Primary.colorBorder
                                         : (activeFocus || popup.visible) ? HusTheme.Primary.colorPrimary
                                                                          : hovered ? HusTheme.Primary.colorPrimaryHover
                                                                                    : HusTheme.Primary.colorBorder
    property color colorBg: enabled ? HusTheme.Primary.colorBgContainer : HusTheme.Primary.colorBgContainerDisabled
    property int radiusBg: HusTheme.Primary.radiusPrimary
    property string placeholderText: ""
    property string contentDescription: displayText

    // The item at index, whatever shape the model has.
    function optionAt(index) {
        if (index < 0 || index >= count)
            return undefined;
        if (Array.isArray(model))
            return model[index];
        if (model && model.get)
            return model.get(index);
        return undefined;
    }

    textRole: "label"
    valueRole: "value"
    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset,
                             implicitContentHeight + topPadding + bottomPadding,
                             implicitIndicatorHeight + topPadding + bottomPadding)
    leftPadding: 11
    rightPadding: 11 + 18
    hoverEnabled: true
    font.family: HusTheme.Primary.fontPrimaryFamily
    font.pixelSize: HusTheme.Primary.fontPrimarySize

    delegate: T.ItemDelegate {
        id: option

        required property int index
        readonly property string label: control.textAt(index)

        width: ListView.view ? ListView.view.width : implicitWidth
        implicitHeight: control.defaultOptionHeight
        leftPadding: 12
        rightPadding: 12
        hoverEnabled: true
        highlighted: control.highlightedIndex === index

        contentItem: Text {
            text: option.label
            font.family: control.font.family
            font.pixelSize: control.font.pixelSize
            font.bold: control.currentIndex === option.index
            color: control.colorText
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
            renderType: Text.NativeRendering
        }

        background: Rectangle {
            radius: HusTheme.Primary.radiusPrimarySM
            color: control.currentIndex === option.index ? HusTheme.Primary.colorPrimaryBg
                                                         : option.hovered ? HusTheme.Primary.colorFillTertiary
                                                                          : "transparent"
        }

        HusToolTip {
            visible: control.tooltipVisible && option.hovered && option.label.length > 0
            text: option.label
            position: HusToolTip.Position_Right
            delay: 500
        }
    }

    indicator: HusIconText {
        x: control.width - width - 11
        y: (control.height - height) / 2
        iconSource: control.loading ? HusIcon.LoadingOutlined : HusIcon.DownOutlined
        iconSize: 12
        colorIcon: HusTheme.Primary.colorTextTertiary
        rotation: control.popup.visible && !control.loading ? 180 : 0
        Behavior on rotation { enabled: control.animationEnabled; NumberAnimation { duration: HusTheme.Primary.durationMid } }
    }

    contentItem: Text {
        text: control.displayText.length > 0 ? control.displayText : control.placeholderText
        font: control.font
        color: control.displayText.length > 0 ? control.colorText : HusTheme.Primary.colorTextQuaternary
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
        renderType: Text.NativeRendering
    }

    background: Rectangle {
        implicitWidth: 120
        implicitHeight: 32
        radius: control.radiusBg
        color: control.colorBg
        border.width: 1
        border.color: control.colorBorder
        Behavior on border.color { enabled: control.animationEnabled; ColorAnimation { duration: HusTheme.Primary.durationMid } }

        HusToolTip {
            visible: control.tooltipVisible && control.hovered && !control.popup.visible && control.displayText.length > 0
            text: control.displayText
            delay: 500
        }
    }

    popup: T.Popup {
        y: control.height + 4
        width: control.width
        implicitHeight: Math.min(control.defaultPopupMaxHeight, list.contentHeight + topPadding + bottomPadding)
        padding: 4

        contentItem: ListView {
            id: list
            clip: true
            model: control.delegateModel
            currentIndex: control.highlightedIndex
            boundsBehavior: Flickable.StopAtBounds
            T.ScrollBar.vertical: HusScrollBar {}
        }

        background: Rectangle {
            color: HusTheme.Primary.colorBgElevated
            radius: HusTheme.Primary.radiusPrimaryLG
            border.width: HusTheme.isDark ? 1 : 0
            border.color: HusTheme.Primary.colorBorderSecondary

            HusShadow {
                anchors.fill: parent
                radius: parent.radius
                z: -1
            }
        }

        enter: Transition {
            // A zero-length transition would leave the popup deaf to clicks.
            enabled: control.animationEnabled
            NumberAnimation { property: "opacity"; from: 0; to: 1; duration: HusTheme.Primary.durationMid }
        }
        exit: Transition {
            enabled: control.animationEnabled
            NumberAnimation { property: "opacity"; from: 1; to: 0; duration: HusTheme.Primary.durationFast }
        }
    }
}
