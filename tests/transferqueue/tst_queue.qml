import QtQuick 2.15
import QtTest 1.15
import FileTransfer 1.0
import "qrc:/MyGlobals" 1.0

TestCase {
    id: testCase
    name: "TransferQueue"

    property Component windowComponent: Qt.createComponent("qrc:/Page/Window_DownloadQuest.qml")
    property var win: null
    property var log: []
    // A file that exists, for uploads: this test document itself.
    readonly property string existingFile: Qt.resolvedUrl("tst_queue.qml").toString().replace(/^file:\/\//, "")
    // Nothing listens on port 1 of the loopback: transfers there fail quickly and for real.
    readonly property string deadUrl: "http://127.0.0.1:1/api/uploadfiles"

    function init() {
        log = [];
        win = createTemporaryObject(windowComponent, testCase);
        verify(win, windowComponent.errorString());
    }

    // A step that starts a transfer and leaves its end to the completion signal.
    function transferStep(name) {
        return function(task) { log.push(name); task.status = 1; };
    }

    function instantStep(name) {
        return function(task) { log.push(name); task.instruction = true; };
    }

    function names() {
        return win.downloadModel.map(task => task.fileName);
    }

    function task(name) {
        return win.downloadModel.find(t => t.fileName === name);
    }

    function view() {
        return findChild(win.contentItem, "questView");
    }

    function row(name) {
        return view().itemAtIndex(names().indexOf(name));
    }

    function waitForLog(length) {
        tryVerify(() => log.length === length, 3000, "log " + JSON.stringify(log));
        // A few driver ticks, so a step that should not start would have started.
        wait(50);
        compare(log.length, length, "log " + JSON.stringify(log));
    }

    // A new task opens the window beside the main window; Esc hides it and the
    // queue keeps running.
    function test_opens_beside_the_main_window_and_runs_hidden() {
        compare(GlobalVars.downlad_quest_window, win);
        verify(!win.visible);
        GlobalVars.main_Window = { x: 120, y: 80, width: 300 };
        win.addQuest("p:a.jar", []);
        GlobalVars.main_Window = null;
        compare(win.x, 420);
        compare(win.y, 80);
        win.requestActivate();
        tryVerify(() => win.active, 3000);
        keyClick(Qt.Key_Escape);
        tryVerify(() => !win.visible, 3000);
        // Changed in place, as a page may do, then handed to the view again.
        win.downloadModel.unshift({ fileName: "hidden", questInstruction: [instantStep("hidden")], instruction: true,
                                   progress: 0, remainingTime: 1, status: 0, error: 0 });
        win.flushQuest();
        waitForLog(1);
        tryCompare(task("hidden"), "status", 3);
    }

    // A waiting task cancelled is dropped.
    function test_tasks_added_together_run_newest_first_one_transfer_at_a_time() {
        win.addQuest("no steps", []);
        win.addQuest("instant", [instantStep("instant")]);
        for (const name of ["A", "B", "C"])
            win.addQuest(name, [transferStep(name)]);
        waitForLog(1);
        win.cancelTask(task("B"));
        compare(names(), ["C", "A", "instant", "no steps"]);
        FileTransfer.downloadCompleted(true, "quest");
        waitForLog(2);
        FileTransfer.uploadCompleted(true, "quest");
        tryVerify(() => win.downloadModel.every(t => t.status === 3), 3000);
        compare(log, ["C", "A", "instant"]);
        compare(names(), ["C", "A", "instant", "no steps"]);
        verify(win.downloadModel.every(t => t.error === 0));
        tryCompare(view(), "count", 4);
    }

    // Completions of other pages' transfers, and any arriving while nothing of
    // the queue's is transferring, belong to no task.
    function test_completions_and_progress_go_to_the_task_that_started_the_transfer() {
        win.addQuest("done", []);
        tryCompare(task("done"), "status", 3);
        FileTransfer.downloadCompleted(false, "Connection refused");
        FileTransfer.uploadCompleted(false, "quest");
        win.addQuest("A", [transferStep("A download"), instantStep("A report")]);
        waitForLog(1);
        win.addQuest("D", [transferStep("D download")]);
        compare(names(), ["D", "A", "done"]);
        FileTransfer.downloadCompleted(true, "kxt");
        FileTransfer.uploadCompleted(false, "javap");
        FileTransfer.uploadCompleted(true, "javap");
        FileTransfer.uploadCompleted(false, "kxt");
        // The server page's call refused while the queue's transfer runs.
        FileTransfer.downloadCompleted(false, "已有进行中的下载");
        FileTransfer.uploadCompleted(false, "已有进行中的传输");
        waitForLog(1);
        FileTransfer.uploadProgressChanged(0.456, "quest");
        compare(task("A").progress, 45.6);
        compare(task("D").progress, 0);
        tryCompare(findChild(row("A"), "percent"), "text", "45.6%", 5000);
        FileTransfer.downloadCompleted(true, "quest");
        waitForLog(3);
        compare(log, ["A download", "A report", "D download"]);
        compare(task("A").status, 3);
        compare(task("D").status, 1);
        FileTransfer.uploadCompleted(true, "quest");
        tryCompare(task("D"), "status", 3);
        compare(names(), ["done", "A", "D"]);
        verify(win.downloadModel.every(t => t.error === 0));
    }

    function test_failed_transfer_ends_its_task_red_and_the_next_runs_data() {
        return [
            { tag: "download refused by the network", step: task => FileTransfer.postDownload(deadUrl, "transferqueue-out/a.bin", { key: "p:a" }, "quest") },
            { tag: "upload refused by the network", step: task => FileTransfer.postUpload(deadUrl, existingFile, "/r/", "quest") },
            { tag: "upload of a missing file", step: task => FileTransfer.postUpload(deadUrl, existingFile + ".missing", "/r/", "quest") },
            { tag: "download that cannot create its file", step: task => FileTransfer.postDownload(deadUrl, existingFile + "/x", {}, "quest") },
            { tag: "step that throws", step: task => { throw new Error("no server selected"); } }
        ];
    }

    function test_failed_transfer_ends_its_task_red_and_the_next_runs(data) {
        win.addQuest("next", [instantStep("next")]);
        win.addQuest("failing", [task => { log.push("failing"); task.status = 1; data.step(task); },
                                 instantStep("after the failure")]);
        tryCompare(task("next"), "status", 3, 5000);
        compare(log, ["failing", "next"]);
        compare(task("failing").status, 3);
        compare(task("failing").error, 1);
        compare(task("next").error, 0);
        compare(names(), ["failing", "next"]);
    }

    function test_rows_are_updated_in_place() {
        for (let i = 0; i < 30; ++i)
            win.addQuest("old " + i, []);
        win.showEx();
        tryVerify(() => win.downloadModel.every(t => t.status === 3), 3000);
        win.addQuest("running", [transferStep("running")]);
        waitForLog(1);
        const runningRow = row("running");
        const neighbour = row("old 29");
        verify(runningRow && neighbour);

        const spy = createTemporaryQmlObject("import QtTest 1.15; SignalSpy { signalName: \"dataChanged\" }", testCase);
        spy.target = view().model;
        wait(100);
        compare(spy.count, 0, "nothing changed, nothing is refreshed");
        FileTransfer.downloadProgressChanged(0.25, "quest");
        tryVerify(() => spy.count > 0, 5000);
        wait(30);
        verify(row("running") === runningRow, "the running task's row was rebuilt");
        verify(row("old 29") === neighbour, "a finished task's row was rebuilt");

        FileTransfer.downloadCompleted(true, "quest");
        tryVerify(() => view().count === 31 && names()[30] === "running", 5000);
        // The view lays out model moves at its next polish.
        tryVerify(() => row("old 29") === neighbour, 1000, "a row was rebuilt when another moved");
        spy.clear();
        wait(100);
        compare(spy.count, 0, "an idle queue refreshes nothing");
    }
}
