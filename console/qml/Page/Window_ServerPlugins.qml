import QtQuick 2.15
import QtQuick.Window 2.15
import QtQuick.Controls 2.15
import QtGraphicalEffects 1.15
import HuskarUI.Basic 1.0
import "../MyGlobals" 1.0
import "../Component"
import "../Component/windows.js" as Windows

// The plugins of one server: the server-side ones its gateway reports and the
// dual-end ones the account bought for it. A card opens the plugin's detail window.
HusWindow {
    id: pluginsWindow
    objectName: "serverPluginsWindow"

    // 0 server-side plugins, 1 dual-end plugins.
    property int showMode: 0
    property string server_ip: ""
    property var pluginModel: []
    property var pluginInfoWidow: null

    property var detailDocuments: ["Window_PluginInfo_Private.qml", "Window_ExPluginInfo_Private.qml"]

    width: 890
    height: 630
    visible: true
    title: "我的服务器插件"
    captionBar.topButtonVisible: true
    captionBar.winIconDelegate: Image {
        source: "qrc:/image/logo.png"
        width: 20
        height: 20
        sourceSize: Qt.size(20, 20)
        fillMode: Image.PreserveAspectFit
    }

    function init(serverip) {
        server_ip = serverip;
        getData();
    }

    function getData() {
        if (server_ip === "")
            return;
        if (showMode === 0)
            GlobalVars.getServerPlugins(server_ip);
        else
            GlobalVars.getServerExPlugins(server_ip);
    }

    // Catalogue and installed versions are compared as they arrive: numbers by value,
    // texts character by character. Without the catalogue no plugin is marked.
    function initModel() {
        if (showMode === 0) {
            const list = GlobalVars.myServerPluginList;
            if (!Array.isArray(list))
                return;
            const catalogue = GlobalVars.serverPluginMap;
            pluginModel = list.map(function (record) {
                const entry = catalogue ? catalogue[record.ProjectName] : undefined;
                if (entry && entry.ProjectVersion > record.ProjectVersion)
                    record.needupdate = true;
                return record;
            });
        } else {
            const map = GlobalVars.myServerExPluginMap;
            if (!map || typeof map !== "object")
                return;
            pluginModel = Object.keys(map).map(function (key) {
                const record = map[key];
                record.ProjectName = key;
                return record;
            });
        }
    }

    function switchTab(index) {
        tabView.currentIndex = index;
        showMode = index;
        pluginModel = [];
        getData();
    }

    // One detail window at a time; a further click brings that same window forward.
    function openDetail(index) {
        if (!pluginInfoWidow) {
            const window = Windows.create(Qt.resolvedUrl(detailDocuments[showMode]), pluginsWindow, function (closed) {
                if (pluginsWindow.pluginInfoWidow === closed)
                    pluginsWindow.pluginInfoWidow = null;
            });
            if (!window)
                return;
            if (typeof window.init === "function")
                window.init(showMode === 0 ? index : pluginModel[index].ProjectName);
            else
                console.warn("Plugin detail window has no init:", detailDocuments[showMode]);
            pluginInfoWidow = window;
        }
        if (GlobalVars.main_Window)
            pluginInfoWidow.y = GlobalVars.main_Window.y + 85;
        pluginInfoWidow.show();
        pluginInfoWidow.raise();
    }

    Connections {
        target: GlobalVars
        function onMyServerPluginListChanged() {
            if (pluginsWindow.showMode === 0)
                pluginsWindow.initModel();
        }
        function onMyServerExPluginMapChanged() {
            if (pluginsWindow.showMode === 1)
                pluginsWindow.initModel();
        }
    }

    Shortcut {
        sequence: "Esc"
        onActivated: pluginsWindow.close()
    }

    HusTabView {
        id: tabView
        objectName: "pluginTabs"
        anchors.fill: parent
        anchors.topMargin: pluginsWindow.captionBar.height + 30
        tabCentered: true
        tabSize: HusTabView.Size_Auto
        addButtonVisible: false
        initModel: [
            { key: "1", iconSource: HusIcon.CreditCardOutlined, title: "服务端插件" },
            { key: "2", iconSource: HusIcon.CreditCardOutlined, title: "双端插件" }
        ]
        onTabClicked: (index, key) => pluginsWindow.switchTab(index)

        contentDelegate: GridView {
            id: grid
            required property int index
            readonly property bool dualEnd: index === 1

            objectName: "pluginGrid" + index
            anchors.leftMargin: 24
            anchors.margins: 4
            clip: true
            cellWidth: 420
            cellHeight: dualEnd ? 300 : 128
            model: pluginsWindow.showMode === index ? pluginsWindow.pluginModel : []
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: HusScrollBar {}

            delegate: Item {
                id: cell
                required property var modelData
                required property int index

                width: grid.cellWidth
                height: grid.cellHeight

                Card {
                    id: card
                    objectName: "pluginCard"
                    anchors.centerIn: parent
                    width: parent.width - 24
                    height: parent.height - 24
                    isDarkMode: HusTheme.isDark
                    Component.onCompleted: card.onClicked = () => pluginsWindow.openDetail(cell.index)

                    Column {
                        anchors.fill: parent
                        spacing: 4

                        Item {
                            width: parent.width
                            height: 30

                            HusText {
                                objectName: "pluginName"
                                anchors.left: parent.left
                                anchors.right: cornerText.left
                                anchors.rightMargin: 8
                                text: cell.modelData.ProjectName
                                font.pixelSize: 24
                                font.bold: true
                                elide: Text.ElideRight
                                color: HusTheme.Primary.colorTextBase
                            }

                            HusText {
                                id: cornerText
                                objectName: "pluginCorner"
                                anchors.right: parent.right
                                anchors.rightMargin: 10
                                y: 4
                                width: Math.min(implicitWidth, parent.width / 2)
                                text: cell.modelData.needupdate === true ? "有新的版本!"
                                                                        : "作者:" + (cell.modelData.ProjectAuthor || "")
                                color: cell.modelData.needupdate === true ? "#32CD32" : HusTheme.Primary.colorTextBase
                                font.pixelSize: 16
                                font.bold: true
                                elide: Text.ElideRight
                            }
                        }

                        HusText {
                            id: describe
                            width: parent.width
                            text: cell.modelData.ProjectDescribe || ""
                            font.pixelSize: 14
                            color: HusTheme.Primary.colorTextSecondary
                            wrapMode: Text.WordWrap
                            maximumLineCount: 2
                            elide: Text.ElideRight
                        }

                        Item {
                            visible: grid.dualEnd
                            width: parent.width
                            height: parent.height - 30 - describe.height - 2 * parent.spacing

                            Image {
                                id: cardImage
                                objectName: "pluginImage"
                                anchors.fill: parent
                                asynchronous: true
                                cache: true
                                fillMode: Image.PreserveAspectCrop
                                source: grid.dualEnd ? GlobalVars.server_url + "/quenta/getimg/"
                                                       + encodeURIComponent(cell.modelData.ProjectName) + "/0" : ""
                                visible: false
                            }

                            Rectangle {
                                id: imageMask
                                anchors.fill: parent
                                radius: 6
                                visible: false
                            }

                            OpacityMask {
                                anchors.fill: parent
                                source: cardImage
                                maskSource: imageMask
                            }
                        }
                    }
                }
            }
        }
    }
}
