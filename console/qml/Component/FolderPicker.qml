import QtQuick 2.15
import QtQuick.Window 2.15
import QtQuick.Controls 2.15
import Qt.labs.folderlistmodel 2.15
import Qt.labs.platform 1.1 as Platform
import HuskarUI.Basic 1.0
import QmlTool 1.0

// A folder chooser drawn by the console itself, so it shows the same on every
// desktop, also where the system offers no dialog of its own. `accepted` hands
// over the chosen folder as a local path; cancelling reports `rejected` only.
HusWindow {
    id: picker
    objectName: "folderPicker"

    // The folder whose sub-folders are listed.
    property url folder: Platform.StandardPaths.writableLocation(Platform.StandardPaths.HomeLocation)
    readonly property string folderPath: QmlTool.urlToLocalFile(folder)
    // The listed sub-folder picked by a click, or -1: "确定" takes it, else the folder itself.
    property int selectedIndex: -1
    property string problem: ""

    signal accepted(string path)
    signal rejected()

    width: 560
    height: 420
    minimumWidth: 360
    minimumHeight: 260
    visible: false
    modality: Qt.ApplicationModal
    title: "请选择保存路径"
    captionBar.minimizeButtonVisible: false
    captionBar.maximizeButtonVisible: false
    captionBar.closeCallback: () => picker.cancel()

    // `start`: a folder URL or a local path; the last folder shown when omitted.
    function open(start) {
        if (start !== undefined && start !== null && String(start) !== "")
            goTo(start);
        problem = "";
        const owner = transientParent;
        if (owner) {
            x = owner.x + (owner.width - width) / 2;
            y = owner.y + (owner.height - height) / 2;
        }
        show();
        raise();
        requestActivate();
    }

    function toUrl(place) {
        const text = String(place);
        return text.indexOf("file:") === 0 ? text : QmlTool.localFileToUrl(text);
    }

    function goTo(place) {
        const url = toUrl(place);
        if (!QmlTool.isFolder(QmlTool.urlToLocalFile(url))) {
            problem = "文件夹不存在: " + String(place);
            return false;
        }
        folder = url;
        selectedIndex = -1;
        problem = "";
        return true;
    }

    // Accepts `place` (a folder URL or local path) or, without one, the picked
    // sub-folder or the folder shown. A place that is no folder is refused.
    function accept(place) {
        let url = folder;
        if (place !== undefined && place !== null && String(place) !== "")
            url = toUrl(place);
        else if (selectedIndex >= 0 && selectedIndex < folders.count)
            url = folders.get(selectedIndex, "fileUrl");
        const path = QmlTool.urlToLocalFile(url);
        if (!QmlTool.isFolder(path)) {
            problem = "文件夹不存在: " + (path !== "" ? path : String(place));
            return false;
        }
        hide();
        accepted(path);
        return true;
    }

    function cancel() {
        hide();
        rejected();
    }

    FolderListModel {
        id: folders
        folder: picker.folder
        showFiles: false
        showDirs: true
        showDotAndDotDot: false
        showHidden: false
        sortField: FolderListModel.Name
    }

    Shortcut {
        sequence: "Esc"
        enabled: picker.visible
        onActivated: picker.cancel()
    }

    Item {
        anchors.fill: parent
        anchors.topMargin: picker.captionBar.height + 8
        anchors.leftMargin: 12
        anchors.rightMargin: 12
        anchors.bottomMargin: 12

        HusButton {
            id: upButton
            objectName: "folderPickerUp"
            text: "上一级"
            enabled: String(folders.parentFolder) !== ""
            onClicked: picker.goTo(folders.parentFolder)
        }

        HusInput {
            id: pathInput
            objectName: "folderPickerPath"
            anchors.left: upButton.right
            anchors.leftMargin: 8
            anchors.right: parent.right
            anchors.verticalCenter: upButton.verticalCenter
            text: picker.folderPath
            iconSource: HusIcon.FolderOutlined
            onAccepted: {
                if (!picker.goTo(text))
                    text = Qt.binding(() => picker.folderPath);
            }
        }

        Rectangle {
            id: listFrame
            anchors.top: upButton.bottom
            anchors.topMargin: 8
            anchors.bottom: problemText.top
            anchors.bottomMargin: 4
            width: parent.width
            radius: 6
            color: "transparent"
            border.width: 1
            border.color: HusTheme.Primary.colorBorder

            ListView {
                id: folderView
                objectName: "folderPickerList"
                anchors.fill: parent
                anchors.margins: 2
                clip: true
                model: folders
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: HusScrollBar {}

                delegate: Rectangle {
                    id: row
                    required property int index
                    required property string fileName
                    required property url fileUrl

                    width: folderView.width
                    height: 32
                    radius: 4
                    color: picker.selectedIndex === index ? HusTheme.Primary.colorPrimaryBg
                                                          : hover.containsMouse ? HusTheme.Primary.colorFillTertiary : "transparent"

                    HusIconText {
                        id: icon
                        x: 10
                        anchors.verticalCenter: parent.verticalCenter
                        iconSource: HusIcon.FolderOutlined
                        iconSize: 16
                        colorIcon: HusTheme.Primary.colorWarning
                    }

                    HusText {
                        anchors.left: icon.right
                        anchors.leftMargin: 8
                        anchors.right: parent.right
                        anchors.rightMargin: 8
                        anchors.verticalCenter: parent.verticalCenter
                        text: row.fileName
                        elide: Text.ElideMiddle
                    }

                    MouseArea {
                        id: hover
                        anchors.fill: parent
                        hoverEnabled: true
                        onClicked: picker.selectedIndex = row.index
                        onDoubleClicked: picker.goTo(row.fileUrl)
                    }
                }
            }

            HusText {
                anchors.centerIn: parent
                visible: folders.count === 0
                text: "(没有子文件夹)"
                color: HusTheme.Primary.colorTextTertiary
            }
        }

        HusText {
            id: problemText
            objectName: "folderPickerProblem"
            anchors.bottom: okButton.top
            anchors.bottomMargin: 4
            width: parent.width
            height: text === "" ? 0 : implicitHeight
            text: picker.problem
            color: HusTheme.Primary.colorError
            elide: Text.ElideMiddle
        }

        HusButton {
            id: okButton
            objectName: "folderPickerOk"
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            type: HusButton.Type_Primary
            text: "确定"
            onClicked: picker.accept()
        }

        HusButton {
            objectName: "folderPickerCancel"
            anchors.right: okButton.left
            anchors.rightMargin: 8
            anchors.bottom: parent.bottom
            text: "取消"
            onClicked: picker.cancel()
        }

        HusText {
            anchors.left: parent.left
            anchors.right: okButton.left
            anchors.rightMargin: 90
            anchors.verticalCenter: okButton.verticalCenter
            text: picker.selectedIndex >= 0 && picker.selectedIndex < folders.count
                  ? "保存到: " + folders.get(picker.selectedIndex, "fileName")
                  : "保存到当前文件夹"
            color: HusTheme.Primary.colorTextSecondary
            elide: Text.ElideMiddle
        }
    }
}
