import QtQuick 2.15
import QtQuick.Controls 2.15
import QtGraphicalEffects 1.15
import HuskarUI.Basic 1.0
import "../MyGlobals" 1.0
import "windows.js" as Windows

// A plugin market: the catalogue as a grid of cards, a search box with three
// search modes, and the chooser of the account server that installs and
// purchases go to. The two markets differ only in the properties below.
Item {
    id: root

    // Array (keyed by index) or object (keyed by plugin name).
    property var catalogue: null
    property string secondModeText
    property var secondModeIcon
    property int cellHeight: 128
    property bool dualEnd: false
    property url windowSource
    property int windowOffsetY: 0
    property bool suggestionOpensWindow: false

    property int searchMode: 0
    property var detailWindow: null

    readonly property var modeFields: ["ProjectName", "ProjectAuthor", "ProjectDescribe"]

    anchors.fill: parent

    // [key, entry] pairs in the catalogue's own order.
    function entries() {
        const list = root.catalogue;
        if (list === null || list === undefined || typeof list !== "object")
            return [];
        if (Array.isArray(list))
            return list.map((entry, index) => [index, entry]);
        return Object.keys(list).map(name => [name, list[name]]);
    }

    function fillGrid() {
        if (root.catalogue === null || root.catalogue === undefined)
            return;
        grid.model = entries().map(function(pair) {
            const entry = pair[1] || {};
            return {
                key: pair[0],
                ProjectName: String(entry.ProjectName === undefined ? "" : entry.ProjectName),
                ProjectAlias: entry.ProjectAlias ? String(entry.ProjectAlias) : "",
                ProjectAuthor: String(entry.ProjectAuthor === undefined ? "" : entry.ProjectAuthor),
                ProjectDescribe: String(entry.ProjectDescribe === undefined ? "" : entry.ProjectDescribe)
            };
        });
    }

    function fillServers() {
        const servers = GlobalVars.accServerList;
        if (servers === null || servers === undefined)
            return;
        const options = Array.isArray(servers) ? servers.map((server, index) => ({ label: String(server.serverIp), value: index })) : [];
        serverSelect.model = options;
        serverSelect.currentIndex = options.length > 0 ? 0 : -1;
        if (options.length > 0)
            GlobalVars.selectServer = 0;
    }

    function search(input) {
        if (input === "") {
            searchBox.options = [];
            return;
        }
        const field = modeFields[searchMode];
        searchBox.options = entries().filter(function(pair) {
            return pair[1] && String(pair[1][field]).indexOf(input) !== -1;
        }).map(function(pair) {
            return { label: pair[1].ProjectName + "\t作者: " + pair[1].ProjectAuthor, value: pair[0] };
        });
    }

    function openDetail(key) {
        if (!detailWindow) {
            const window = Windows.create(root.windowSource, root, function (closed) {
                if (root.detailWindow === closed)
                    root.detailWindow = null;
            });
            if (!window)
                return;
            window.init(key);
            detailWindow = window;
        }
        const main = GlobalVars.main_Window;
        if (main)
            detailWindow.y = main.y + root.windowOffsetY;
        detailWindow.show();
        detailWindow.raise();
    }

    onCatalogueChanged: fillGrid()

    Connections {
        target: GlobalVars
        function onAccServerListChanged() { root.fillServers() }
    }

    Component.onCompleted: {
        GlobalVars.tab_shop = root;
        fillGrid();
        fillServers();
    }
    Component.onDestruction: {
        if (GlobalVars.tab_shop === root)
            GlobalVars.tab_shop = null;
    }

    Rectangle {
        id: searchPanel
        objectName: "searchPanel"
        // Narrow windows put the search box on a line of its own.
        readonly property real searchRoom: width - Math.max(serverRow.width, modeRow.width) - 40
        readonly property bool compact: searchRoom < 250
        x: 15
        y: 10
        width: parent.width - 15 - 26
        height: compact ? 130 : 80
        radius: 8
        color: "transparent"
        border.width: 3
        border.color: HusTheme.isDark ? "#23272e" : "#f0f4f7"

        Row {
            id: serverRow
            x: 10
            y: 10
            spacing: 10

            HusText {
                id: serverLabel
                y: 4
                text: "选择要安装插件的服务器:"
                font.pixelSize: 14
            }

            HusSelect {
                id: serverSelect
                objectName: "serverSelect"
                width: 250
                height: 30
                tooltipVisible: true
                onCurrentIndexChanged: {
                    if (currentIndex >= 0)
                        GlobalVars.selectServer = currentIndex;
                }
            }
        }

        ButtonGroup { id: modeGroup }

        Row {
            id: modeRow
            x: 10
            y: serverRow.y + serverLabel.y + serverLabel.height + 15
            spacing: 48

            Repeater {
                model: [
                    { text: "索引插件名", icon: HusIcon.ReadOutlined },
                    { text: root.secondModeText, icon: root.secondModeIcon },
                    { text: "索引描述内容", icon: HusIcon.ProfileOutlined }
                ]

                Row {
                    spacing: 2

                    HusRadio {
                        objectName: "searchMode" + index
                        text: modelData.text
                        checked: index === 0
                        ButtonGroup.group: modeGroup
                        onCheckedChanged: {
                            if (checked)
                                root.searchMode = index;
                        }
                    }

                    HusIconText {
                        anchors.verticalCenter: parent.verticalCenter
                        iconSource: modelData.icon
                        iconSize: 24
                    }
                }
            }
        }

        HusAutoComplete {
            id: searchBox
            objectName: "searchBox"
            anchors.right: parent.right
            anchors.rightMargin: 10
            width: searchPanel.compact ? parent.width - 20 : Math.min(370, searchPanel.searchRoom)
            height: 40
            y: searchPanel.compact ? modeRow.y + modeRow.height + 8 : (parent.height - height) / 2
            placeholderText: "输入插件名以查找插件"
            clearIconSource: HusIcon.CloseSquareFilled
            selectByMouse: true
            tooltipVisible: true
            onSearch: function(input) { root.search(input) }
            onSelect: function(option) {
                if (!root.suggestionOpensWindow)
                    return;
                root.openDetail(option.value);
                searchBox.clearInput();
                searchBox.options = [];
            }
        }
    }

    GridView {
        id: grid
        objectName: "pluginGrid"
        anchors.fill: parent
        anchors.topMargin: searchPanel.y + searchPanel.height + 4
        anchors.margins: 4
        clip: true
        cellWidth: 420
        cellHeight: root.cellHeight
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: HusScrollBar {}

        delegate: Item {
            width: grid.cellWidth
            height: grid.cellHeight

            Card {
                objectName: "pluginCard"
                anchors.centerIn: parent
                width: parent.width - 24
                height: parent.height - 24
                isDarkMode: HusTheme.isDark
                onClicked: () => root.openDetail(modelData.key)

                Column {
                    anchors.fill: parent
                    spacing: 4

                    Item {
                        width: parent.width
                        height: 30

                        HusText {
                            objectName: "cardTitle"
                            width: parent.width - rightLabel.width - rightLabel.anchors.rightMargin - 10
                            text: root.dualEnd && modelData.ProjectAlias !== "" ? modelData.ProjectAlias : modelData.ProjectName
                            font.pixelSize: 24
                            font.bold: true
                            elide: Text.ElideRight
                        }

                        HusText {
                            id: rightLabel
                            objectName: "cardLabel"
                            anchors.right: parent.right
                            anchors.rightMargin: root.dualEnd ? 4 : 10
                            y: 4
                            text: !root.dualEnd ? "作者:" + modelData.ProjectAuthor
                                                : modelData.ProjectAuthor === "0" ? "免费" : modelData.ProjectAuthor + " 贡献点/月"
                            font.pixelSize: 16
                            font.bold: true
                        }
                    }

                    HusText {
                        id: describe
                        width: parent.width
                        text: modelData.ProjectDescribe
                        font.pixelSize: 14
                        color: HusTheme.Primary.colorTextSecondary
                        wrapMode: Text.Wrap
                        maximumLineCount: 2
                        elide: Text.ElideRight
                    }

                    Item {
                        visible: root.dualEnd
                        width: parent.width
                        height: parent.height - 30 - describe.height - 2 * parent.spacing

                        Image {
                            id: thumbnail
                            objectName: "cardThumbnail"
                            anchors.fill: parent
                            source: root.dualEnd ? GlobalVars.server_url + "/quenta/getthumb/" + modelData.ProjectName + "/0" : ""
                            fillMode: Image.PreserveAspectCrop
                            asynchronous: true
                            cache: true
                            visible: false
                        }

                        Rectangle {
                            id: corners
                            anchors.fill: parent
                            radius: 6
                            visible: false
                        }

                        OpacityMask {
                            anchors.fill: parent
                            source: thumbnail
                            maskSource: corners
                        }
                    }
                }
            }
        }
    }
}
