import QtQuick 2.15
import QtQuick.Controls 2.15
import HuskarUI.Basic 1.0

// A table of records. columns: [{title, dataIndex, width, delegate, align,
// filterInput, onFilter}]; initModel: the records. A cell delegate sees
// `cellData` (the record's dataIndex field), `record`, `row`, `column`,
// `dataIndex` and `filterInput` (the column's filter text). A column with a
// non-empty filterInput shows only the records its onFilter(text, record)
// accepts (by default: the cell's text contains it); the header's search
// button edits it.
Item {
    id: control

    property bool animationEnabled: HusTheme.animationEnabled
    property var columns: []
    property var initModel: []
    property bool rowHeaderVisible: true
    property bool columnHeaderVisible: true
    property int defaultRowHeight: 40
    property int defaultColumnHeaderHeight: 40
    property int defaultRowHeaderWidth: 40
    property int defaultColumnWidth: 100
    property font font: Qt.font({ family: HusTheme.Primary.fontPrimaryFamily, pixelSize: HusTheme.Primary.fontPrimarySize })
    property color colorHeaderBg: HusTheme.isDark ? "#1d1d1d" : "#fafafa"
    property color colorHeaderText: HusTheme.Primary.colorTextBase
    property color colorCellText: HusTheme.Primary.colorTextBase
    property color colorRowHover: HusTheme.Primary.colorFillQuaternary
    property color colorSplit: HusTheme.Primary.colorBorderSecondary
    readonly property int rowCount: __rows.length
    readonly property var filteredRows: __visibleRows

    property var __rows: []
    property var __filters: ({})
    property var __visibleRows: []
    property int __hoverRow: -1

    function getRow(index) {
        return index >= 0 && index < __rows.length ? __rows[index] : undefined;
    }

    function appendRow(object) {
        __rows = __rows.concat([object]);
    }

    function insertRow(index, object) {
        const rows = __rows.slice();
        rows.splice(Math.max(0, Math.min(index, rows.length)), 0, object);
        __rows = rows;
    }

    function setRow(index, object) {
        if (index < 0 || index >= __rows.length)
            return;
        const rows = __rows.slice();
        rows[index] = object;
        __rows = rows;
    }

    function removeRow(index, count) {
        const rows = __rows.slice();
        rows.splice(index, count === undefined ? 1 : count);
        __rows = rows;
    }

    function clearRow() {
        __rows = [];
    }

    // The filter text of the column showing dataIndex.
    function filterInput(dataIndex) {
        return __filters[dataIndex] === undefined ? "" : __filters[dataIndex];
    }

    function setFilterInput(dataIndex, text) {
        const filters = Object.assign({}, __filters);
        filters[dataIndex] = text === undefined || text === null ? "" : String(text);
        __filters = filters;
    }

    function clearFilter() {
        __filters = {};
    }

    function __columnList() {
        return Array.from(columns || []);
    }

    function __cellText(value) {
        return value === undefined || value === null ? "" : String(value);
    }

    function __refilter() {
        const cols = __columnList();
        __visibleRows = __rows.filter(record => cols.every(col => {
            const text = filterInput(col.dataIndex);
            if (text.length === 0)
                return true;
            if (typeof col.onFilter === "function")
                return col.onFilter(text, record);
            return __cellText(record[col.dataIndex]).indexOf(text) >= 0;
        }));
        for (let c = 0; c < cellColumns.count; ++c) {
            const column = cellColumns.itemAt(c);
            if (column)
                column.fill();
        }
    }

    onInitModelChanged: __rows = Array.from(initModel || [])
    onColumnsChanged: {
        const filters = {};
        for (const col of __columnList()) {
            if (col.filterInput)
                filters[col.dataIndex] = String(col.filterInput);
        }
        __filters = filters;
    }
    on__RowsChanged: __refilter()
    on__FiltersChanged: __refilter()

    Rectangle {
        id: header
        visible: control.columnHeaderVisible
        width: parent.width
        height: visible ? control.defaultColumnHeaderHeight : 0
        color: control.colorHeaderBg
        radius: HusTheme.Primary.radiusPrimaryLG
        clip: true

        Rectangle {
            anchors.bottom: parent.bottom
            width: parent.width
            height: 1
            color: control.colorSplit
        }

        Row {
            x: -body.contentX

            Item {
                visible: control.rowHeaderVisible
                width: control.defaultRowHeaderWidth
                height: header.height
            }

            Repeater {
                model: control.columns
                delegate: Item {
                    id: headerCell
                    required property var modelData
                    required property int index
                    // modelData is a converted copy that has lost its functions.
                    readonly property var column: control.__columnList()[index]
                    readonly property bool filterable: column !== undefined
                                                       && (column.filterable === true || typeof column.onFilter === "function")
                    readonly property string filterText: control.filterInput(modelData.dataIndex)

                    width: modelData.width ? modelData.width : control.defaultColumnWidth
                    height: header.height

                    Text {
                        anchors.fill: parent
                        anchors.leftMargin: 8
                        anchors.rightMargin: headerCell.filterable ? 28 : 8
                        text: headerCell.modelData.title === undefined ? "" : headerCell.modelData.title
                        font.family: control.font.family
                        font.pixelSize: control.font.pixelSize
                        font.bold: true
                        color: control.colorHeaderText
                        horizontalAlignment: Text.AlignHCenter
                        verticalAlignment: Text.AlignVCenter
                        elide: Text.ElideRight
                        renderType: Text.NativeRendering
                    }

                    HusIconButton {
                        visible: headerCell.filterable
                        anchors.right: parent.right
                        anchors.rightMargin: 4
                        anchors.verticalCenter: parent.verticalCenter
                        width: 24
                        height: 24
                        type: HusButton.Type_Text
                        iconSource: HusIcon.SearchOutlined
                        iconSize: 12
                        colorIcon: headerCell.filterText.length > 0 ? HusTheme.Primary.colorPrimary : HusTheme.Primary.colorTextTertiary
                        onClicked: filterPopup.open()

                        HusPopup {
                            id: filterPopup
                            y: parent.height + 4
                            x: parent.width - width
                            padding: 8
                            contentItem: HusInput {
                                width: 180
                                placeholderText: qsTr("搜索") + (headerCell.modelData.title ? " " + headerCell.modelData.title : "")
                                clearEnabled: true
                                text: headerCell.filterText
                                onTextEdited: control.setFilterInput(headerCell.modelData.dataIndex, text)
                                onAccepted: filterPopup.close()
                            }
                        }
                    }

                    Rectangle {
                        anchors.right: parent.right
                        anchors.verticalCenter: parent.verticalCenter
                        width: 1
                        height: parent.height / 2
                        color: control.colorSplit
                        visible: headerCell.index < control.__columnList().length - 1
                    }
                }
            }
        }
    }

    Flickable {
        id: body
        anchors.top: header.bottom
        anchors.bottom: parent.bottom
        width: parent.width
        clip: true
        contentWidth: bodyRow.width
        contentHeight: bodyRow.height
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: HusScrollBar {}
        ScrollBar.horizontal: HusScrollBar {}

        // Row backgrounds: hover colour and the rule under each row.
        Column {
            Repeater {
                model: control.__visibleRows.length
                delegate: Rectangle {
                    required property int index
                    width: Math.max(body.width, bodyRow.width)
                    height: control.defaultRowHeight
                    color: control.__hoverRow === index ? control.colorRowHover : "transparent"

                    Rectangle {
                        anchors.bottom: parent.bottom
                        width: parent.width
                        height: 1
                        color: control.colorSplit
                    }
                }
            }
        }

        Row {
            id: bodyRow

            Column {
                visible: control.rowHeaderVisible
                width: control.defaultRowHeaderWidth
                Repeater {
                    model: control.__visibleRows.length
                    delegate: Text {
                        required property int index
                        width: control.defaultRowHeaderWidth
                        height: control.defaultRowHeight
                        text: index + 1
                        font: control.font
                        color: HusTheme.Primary.colorTextTertiary
                        horizontalAlignment: Text.AlignHCenter
                        verticalAlignment: Text.AlignVCenter
                        renderType: Text.NativeRendering
                    }
                }
            }

            Repeater {
                id: cellColumns
                model: control.columns

                // One column of cells. The cells come from a ListModel so that
                // a column's own delegate sees cellData, record, ... by name.
                delegate: Column {
                    id: cellColumn

                    required property var modelData
                    required property int index

                    function fill() {
                        cells.clear();
                        const rows = control.__visibleRows;
                        const dataIndex = modelData.dataIndex;
                        const filter = control.filterInput(dataIndex);
                        for (let r = 0; r < rows.length; ++r) {
                            cells.append({
                                row: r,
                                column: index,
                                cellIndex: r,
                                dataIndex: dataIndex === undefined ? "" : String(dataIndex),
                                cellData: rows[r][dataIndex],
                                record: rows[r],
                                filterInput: filter
                            });
                        }
                    }

                    width: modelData.width ? modelData.width : control.defaultColumnWidth
                    Component.onCompleted: fill()

                    ListModel {
                        id: cells
                        dynamicRoles: true
                    }

                    Repeater {
                        model: cells
                        delegate: cellColumn.modelData.delegate ? cellColumn.modelData.delegate : defaultCell
                        onItemAdded: (index, item) => {
                            item.width = Qt.binding(() => cellColumn.width);
                            item.height = Qt.binding(() => control.defaultRowHeight);
                        }
                    }
                }
            }
        }

        MouseArea {
            width: bodyRow.width
            height: bodyRow.height
            hoverEnabled: true
            acceptedButtons: Qt.NoButton
            onPositionChanged: mouse => control.__hoverRow = Math.floor(mouse.y / control.defaultRowHeight)
            onExited: control.__hoverRow = -1
        }
    }

    Component {
        id: defaultCell
        Text {
            text: control.__cellText(cellData)
            leftPadding: 8
            rightPadding: 8
            font: control.font
            color: control.colorCellText
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
            renderType: Text.NativeRendering
        }
    }
}
