import QtQuick 2.15
import QtQuick.Window 2.15
import DelegateUI 1.0
import FileTransfer 1.0
import Unzip 1.0
import Platform 1.0
import KxtShared 1.0

DelWindow {
    id: window

    // The platform the console uses when started without a service line of its own.
    readonly property string defaultBaseUrl: Platform.defaultUrl
    readonly property string packagePath: "download/Kxtbundle.zip"
    property bool extractionFailed: false
    // The extraction's closing verdict after a failure; the reasons before it are notices.
    property string failureVerdict: ""

    function baseUrl() {
        const args = Qt.application.arguments;
        return args.length > 1 && args[1] !== "" ? args[1] : defaultBaseUrl;
    }

    // Every notice is logged as well, so a run can be followed without the window.
    // The closing instruction stays; failures fade so the label shows again below them.
    function notify(kind, text) {
        console.log("Renewer 消息[" + kind + "]:", text);
        if (kind === "success")
            messageBar.success(text, 0);
        else
            messageBar.error(text, 8000);
    }

    function onDownloadProgress(progress, additional) {
        progressBar.currentValue = progress * 100;
    }

    function onDownloadCompleted(success, message) {
        // The bar starts again for the extraction; after a failed download it
        // does not claim the bytes of an error page as progress.
        progressBar.currentValue = 0;
        if (!success) {
            statusLabel.text = qsTr("下载失败");
            notify("error", message);
            return;
        }
        statusLabel.text = qsTr("解压中");
        Unzip.unzipAsync(packagePath, "./");
    }

    width: 600
    height: 200
    minimumWidth: width
    maximumWidth: width
    minimumHeight: height
    maximumHeight: height
    visible: true
    title: qsTr("KX_T服务端可视化后台管理工具")

    captionBar.themeButtonVisible: true
    captionBar.topButtonVisible: true
    captionBar.maximizeButtonVisible: false
    captionBar.winIcon: "qrc:/image/logo.png"
    captionBar.winIconWidth: 20
    captionBar.winIconHeight: 20
    captionBar.topCallback: checked => DelApi.setWindowStaysOnTopHint(window, checked)

    DelMessage {
        id: messageBar

        z: 999
        parent: window.captionBar
        width: parent.width
        anchors.top: parent.bottom
    }

    Text {
        id: statusLabel

        y: 85
        anchors.horizontalCenter: parent.horizontalCenter
        horizontalAlignment: Text.AlignHCenter
        text: qsTr("下载中")
        font.family: DelTheme.Primary.fontPrimaryFamily
        font.pixelSize: 14
        color: DelTheme.Primary.colorTextBase
        onTextChanged: console.log("Renewer 状态:", text.trim())
    }

    CustomProgressBar {
        id: progressBar

        width: 350
        height: 30
        anchors.top: statusLabel.bottom
        anchors.horizontalCenter: parent.horizontalCenter
        currentValue: 0
    }

    Connections {
        target: Unzip

        function onProgressChanged(progress) {
            progressBar.currentValue = progress;
        }
        function onErrorOccurred(message) {
            window.extractionFailed = true;
            if (message.startsWith("更新失败"))
                window.failureVerdict = message;
            else
                window.notify("error", message);
        }
        function onUnzipFinished() {
            if (window.extractionFailed) {
                // Nothing was installed unless the verdict says otherwise.
                statusLabel.text = window.failureVerdict || qsTr("更新失败，已保留原有版本");
                return;
            }
            progressBar.currentValue = 100;
            window.notify("success", qsTr("解压完成！请关闭更新程序重新启动主程序!"));
            statusLabel.text = "\n" + qsTr("✅ 解压成功！");
        }
    }

    Component.onCompleted: {
        FileTransfer.downloadCompleted.connect(onDownloadCompleted);
        FileTransfer.downloadProgressChanged.connect(onDownloadProgress);
        const url = baseUrl() + "/quenta/download/all";
        console.log("Renewer 下载:", url);
        FileTransfer.postDownload(url, packagePath, { key: "tool" }, "quest");
    }
    Component.onDestruction: {
        FileTransfer.downloadCompleted.disconnect(onDownloadCompleted);
        FileTransfer.downloadProgressChanged.disconnect(onDownloadProgress);
    }
}
