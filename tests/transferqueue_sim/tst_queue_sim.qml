import QtQuick 2.15
import QtTest 1.2
import FileTransfer 1.0
import "../console/common"

// The queue's controls and its speed display with real transfers: downloads from
// the simulated platform (slowed by its rate fault), uploads to a simulated gateway.
SimTestCase {
    id: testCase
    name: "TransferQueueSim"
    when: windowShown

    property Component windowComponent: Qt.createComponent("qrc:/Page/Window_DownloadQuest.qml")
    property var win: null
    readonly property string thisFile: Qt.resolvedUrl("tst_queue_sim.qml").toString().replace(/^file:\/\//, "")
    property var log: []

    function init() {
        log = [];
        win = createTemporaryObject(windowComponent, testCase);
        verify(win, windowComponent.errorString());
    }

    function cleanup() {
        done(sim.control("/config", { archive_padding: 0 }));
    }

    function task(name) {
        return win.downloadModel.find(t => t.fileName === name);
    }

    function row(name) {
        const view = findChild(win.contentItem, "questView");
        return view.itemAtIndex(win.shownTasks.indexOf(task(name)));
    }

    function click(name, label) {
        let button = null;
        tryVerify(() => row(name) && (button = findChild(row(name), "action")) && button.visible && button.text === label, 3000);
        mouseClick(button);
    }

    // A download of the update package sent at `kibps` KiB/s, about `seconds` long.
    function slowDownloadStep(kibps, seconds) {
        done(sim.control("/config", { archive_padding: kibps * 1024 * seconds }));
        injectFault({ path: "/quenta/download/all", rate_kbps: kibps, times: 1 });
        return function(t) {
            log.push(t.fileName);
            t.status = 1;
            FileTransfer.postDownload(sim.baseUrl + "/quenta/download/all", "transferqueue-out/Kxtbundle.zip", { key: "tool" }, "quest");
        };
    }

    function instantStep(t) {
        log.push(t.fileName);
        t.instruction = true;
    }

    function test_slow_download_shows_its_speed_and_cancelling_it_ends_its_task() {
        const download = slowDownloadStep(128, 8);
        win.addQuest("next", [instantStep]);
        win.addQuest("package", [download]);
        const speed = () => findChild(row("package"), "speed");
        tryVerify(() => row("package") && speed().visible, 5000);
        verify(/^\d+(\.\d)? KB\/s  剩余 0:\d\d$/.test(speed().text), speed().text);
        click("package", "取消");
        compare(task("package").error, 1);
        tryCompare(task("next"), "status", 3, 3000);
        compare(log, ["package", "next"]);
        compare(task("next").error, 0);
        tryCompare(findChild(row("package"), "time"), "text", "已取消", 5000);
        tryVerify(() => !speed().visible && speed().text === "", 5000);
    }

    function test_retried_upload_ends_green_with_the_file_on_the_gateway() {
        const gateway = hosts[1];
        const folder = "/queue-retry/" + uniqueName("u") + "/";
        injectFault({ path: "/api/uploadfiles", host: gateway, status: 500, times: 1 });
        const seq = logSeq();
        win.addQuest("upload", [t => {
            log.push("upload");
            t.status = 1;
            FileTransfer.postUpload("http://" + gateway + ":" + fixture.sim.gateway_port + "/api/uploadfiles",
                                    thisFile, folder, "quest");
        }, instantStep]);
        tryCompare(task("upload"), "status", 3, 10000);
        compare(task("upload").error, 1);
        click("upload", "重试");
        tryVerify(() => task("upload").status === 3 && task("upload").error === 0, 10000);
        compare(log, ["upload", "upload", "upload"]);
        compare(requestsSince(seq, "/api/uploadfiles").map(r => r.status), [500, 200]);
        tryVerify(() => findChild(row("upload"), "time").text === "已完成", 5000);
    }
}
