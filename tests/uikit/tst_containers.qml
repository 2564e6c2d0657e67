import QtQuick 2.15
import QtTest 1.15
import HuskarUI.Basic 1.0
import "../common/Items.js" as Items

Item {
    id: root
    width: 900
    height: 700

    HusTableView {
        id: table
        width: 600
        height: 250
        rowHeaderVisible: false
        columns: [
            { title: "服务器IP", dataIndex: "ip", width: 150, delegate: ipCell },
            { title: "SSH端口", dataIndex: "port", width: 80 }
        ]
        initModel: [
            { ip: "127.0.0.1", port: 22 },
            { ip: "10.0.0.8", port: 2222 },
            { ip: "192.168.0.12", port: 22 }
        ]
    }

    Component {
        id: ipCell
        Text {
            objectName: "ipCell"
            property string filter: filterInput
            property var rowRecord: record
            text: cellData
        }
    }

    HusTabView {
        id: tabs
        y: 260
        width: 400
        height: 150
        animationEnabled: false
        tabCentered: true
        initModel: [
            { key: "1", iconSource: HusIcon.CreditCardOutlined, title: "服务端插件", body: "server" },
            { key: "2", iconSource: HusIcon.CreditCardOutlined, title: "双端插件", body: "dual" }
        ]
        contentDelegate: Text { objectName: "tabPage"; text: model.body }
    }

    SignalSpy { id: tabClicks; target: tabs; signalName: "tabClicked" }

    Item {
        id: host
        x: 450
        y: 260
        width: 400
        height: 300

        HusPopup {
            id: popup
            width: 200
            height: 150
            x: 100
            y: 75
            movable: true
            resizable: true
            minimumWidth: 120
            minimumHeight: 100
            animationEnabled: false
            closePolicy: HusPopup.NoAutoClose
            contentItem: Item {}
        }
    }

    TestCase {
        name: "Containers"
        when: windowShown

        function findAll(item, name) {
            return Items.all(item, c => c.objectName === name);
        }

        function test_table_filter_text_reaches_cells_and_filters_rows() {
            let cells = findAll(table, "ipCell");
            compare(cells.length, 3);
            compare(cells[0].filter, "");
            compare(cells[1].rowRecord.port, 2222, "a cell sees its whole record");

            table.setFilterInput("ip", "0.0");
            cells = findAll(table, "ipCell");
            compare(cells.map(c => c.text).sort(), ["10.0.0.8", "127.0.0.1"]);
            verify(cells.every(c => c.filter === "0.0"));
            compare(table.filteredRows.length, 2);

            table.clearFilter();
            compare(findAll(table, "ipCell").length, 3);
            table.appendRow({ ip: "172.16.0.4", port: 22 });
            compare(table.rowCount, 4);
            compare(findAll(table, "ipCell").length, 4);
        }

        function test_table_column_filter_function() {
            table.columns = [
                { title: "服务器IP", dataIndex: "ip", width: 150, delegate: ipCell },
                { title: "SSH端口", dataIndex: "port", width: 80, onFilter: (text, record) => String(record.port) === text }
            ];
            table.setFilterInput("port", "22");
            const cells = findAll(table, "ipCell");
            verify(cells.length >= 2);
            verify(cells.every(c => c.rowRecord.port === 22));
            verify(cells.every(c => c.filter === ""), "only the filtered column's cells get its text");
            table.clearFilter();
        }

        function test_tab_switching() {
            compare(tabs.count, 2);
            compare(tabs.currentIndex, 0);
            let pages = findAll(tabs, "tabPage");
            compare(pages.length, 2);
            compare(pages.filter(p => p.visible).map(p => p.text), ["server"]);

            const second = Items.withText(tabs, "双端插件");
            verify(second !== null);
            waitForRendering(tabs);
            mouseClick(second);
            compare(tabs.currentIndex, 1);
            compare(tabClicks.count, 1);
            compare(tabClicks.signalArguments[0][1], "2");
            pages = findAll(tabs, "tabPage");
            compare(pages.filter(p => p.visible).map(p => p.text), ["dual"]);

            tabs.initModel = [{ key: "1", title: "配置文件", body: "new" }];
            compare(tabs.count, 1);
            compare(tabs.currentIndex, 0);
            compare(findAll(tabs, "tabPage").filter(p => p.visible).map(p => p.text), ["new"]);
        }

        function test_popup_kept_inside_parent() {
            popup.open();
            tryVerify(() => popup.opened);
            const body = popup.background;
            // Drag far beyond the bottom right corner of the host.
            mousePress(body, 100, 10);
            mouseMove(body, 700, 700);
            mouseRelease(body, 700, 700);
            compare(popup.x + popup.width, host.width);
            compare(popup.y + popup.height, host.height);
            // And beyond the top left.
            mousePress(body, 100, 10);
            mouseMove(body, -900, -900);
            mouseRelease(body, -900, -900);
            compare(popup.x, 0);
            compare(popup.y, 0);

            // Resizing from the right edge stops at the host's edge and at the minimum size.
            mousePress(body, body.width - 2, body.height / 2);
            mouseMove(body, body.width + 900, body.height / 2);
            mouseRelease(body, body.width + 900, body.height / 2);
            compare(popup.width, host.width);
            mousePress(body, body.width - 2, body.height / 2);
            mouseMove(body, -900, body.height / 2);
            mouseRelease(body, -900, body.height / 2);
            compare(popup.width, popup.minimumWidth);

            // A shrinking host pulls the popup back in.
            popup.x = 250;
            host.width = 300;
            verify(popup.x + popup.width <= host.width);
            host.width = 400;

            // NoAutoClose: a click outside leaves it open.
            mouseClick(root, 10, 680);
            verify(popup.opened);
            popup.close();
        }
    }
}
