import QtQuick 2.15
import QtQuick.Templates 2.15 as T
import HuskarUI.Basic 1.0

// An input that suggests options. Each edit emits search(text); the handler
// sets `options` ([{label, value}] or texts), which drop down under the
// input. Choosing one emits select(option) and puts its label in the input.
HusInput {
    id: control

    signal search(string input)
    signal select(var option)

    property var options: []
    property string textRole: "label"
    property string valueRole: "value"
    property var filterOption: (input, option) => true
    property bool tooltipVisible: false
    property int defaultPopupMaxHeight: 240
    property int defaultOptionHeight: 32
    readonly property var filteredOptions: Array.from(options || []).filter(option => filterOption(text, option))
    readonly property alias popup: suggestions
    property int highlightedIndex: -1

    function labelOf(option) {
        if (option !== null && typeof option === "object")
            return option[textRole] === undefined ? "" : String(option[textRole]);
        return option === undefined || option === null ? "" : String(option);
    }

    function clearInput() {
        clear();
        suggestions.close();
    }

    function choose(index) {
        const option = filteredOptions[index];
        if (option === undefined)
            return;
        text = labelOf(option);
        suggestions.close();
        select(option);
    }

    clearEnabled: true
    clearIconSource: HusIcon.CloseCircleFilled

    onTextEdited: {
        highlightedIndex = -1;
        search(text);
        if (activeFocus)
            suggestions.open();
    }
    onFilteredOptionsChanged: {
        if (filteredOptions.length === 0)
            suggestions.close();
        else if (activeFocus && text.length > 0)
            suggestions.open();
    }
    onActiveFocusChanged: {
        if (!activeFocus)
            suggestions.close();
    }
    Keys.onDownPressed: highlightedIndex = Math.min(highlightedIndex + 1, filteredOptions.length - 1)
    Keys.onUpPressed: highlightedIndex = Math.max(highlightedIndex - 1, 0)
    Keys.onEscapePressed: suggestions.close()
    onAccepted: {
        if (suggestions.visible && highlightedIndex >= 0)
            choose(highlightedIndex);
    }

    HusPopup {
        id: suggestions
        y: control.height + 4
        width: control.width
        height: Math.min(control.defaultPopupMaxHeight, list.contentHeight + 8)
        padding: 4
        visible: false
        closePolicy: T.Popup.CloseOnEscape | T.Popup.CloseOnPressOutsideParent

        contentItem: ListView {
            id: list
            clip: true
            model: suggestions.visible ? control.filteredOptions : []
            boundsBehavior: Flickable.StopAtBounds
            T.ScrollBar.vertical: HusScrollBar {}

            delegate: T.ItemDelegate {
                id: option

                required property var modelData
                required property int index
                readonly property string label: control.labelOf(modelData)

                width: list.width
                implicitHeight: control.defaultOptionHeight
                leftPadding: 12
                rightPadding: 12
                hoverEnabled: true

                contentItem: Text {
                    text: option.label
                    font: control.font
                    color: HusTheme.Primary.colorTextBase
                    verticalAlignment: Text.AlignVCenter
                    elide: Text.ElideRight
                    renderType: Text.NativeRendering
                }

                background: Rectangle {
                    radius: HusTheme.Primary.radiusPrimarySM
                    color: option.hovered || control.highlightedIndex === option.index ? HusTheme.Primary.colorFillTertiary
                                                                                       : "transparent"
                }

                onClicked: control.choose(index)

                HusToolTip {
                    visible: control.tooltipVisible && option.hovered
                    text: option.label
                    position: HusToolTip.Position_Right
                    delay: 500
                }
            }
        }
    }
}
