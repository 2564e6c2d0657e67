import QtQuick 2.15
import QtQuick.Window 2.15
import QtQuick.Controls 2.15
import HuskarUI.Basic 1.0
import FileTransfer 1.0
import "../MyGlobals" 1.0
import "../Component"

// The console's list of file tasks. A task is a name and a list of steps; the
// steps of one task run one after another, a transfer step ending when the
// transfer service reports its completion. Newest tasks go to the front and run
// first; finished tasks move to the back. A failed task can be run again from
// its first step; a waiting one removed, the running one cancelled.
HusWindow {
    id: questWindow

    // Task records: fileName, questInstruction (steps not yet started), instruction
    // (the next step may start), progress (per cent), remainingTime (creation time in
    // seconds since the epoch), status (0 waiting, 1 downloading, 2 uploading,
    // 3 finished) and error (1 when it finished with a failure); for this window's own
    // use: questSteps (every step, for a retry), cancelled, speed (bytes per second)
    // and remaining (seconds, -1 when unknown) of the running transfer.
    property var downloadModel: []

    // The task whose steps are under way: no other task starts a step before it ends.
    property var runningTask: null
    // The task whose step started the transfer now running; its completion is that task's.
    property var transferTask: null
    // The task whose step is being called: completions arriving during the call are
    // that call's own refusal or local failure.
    property var callingTask: null
    property bool callFailed: false

    // Answers that never belong to a queued transfer: another page's call refused while
    // the queue's transfer runs, and the tags of the server page's own transfers.
    readonly property var foreignMessages: ["已有进行中的下载", "已有进行中的传输", "kxt", "javap"]

    // What the view shows, kept in step with downloadModel by flushQuest so that rows
    // are updated in place instead of rebuilt at every tick.
    property var shownTasks: []
    property var shownState: []
    property bool structureChanged: false
    // The driver only ticks while there is something to run or to show anew: an
    // idle queue of hundreds of finished rows then costs nothing.
    property bool driverActive: false

    width: 800
    height: 600
    visible: false
    title: qsTr("下载任务")
    captionBar.topButtonVisible: true
    captionBar.winIconDelegate: Image {
        source: "qrc:/image/logo.png"
        width: 20
        height: 20
        sourceSize: Qt.size(20, 20)
        fillMode: Image.PreserveAspectFit
    }
    captionBar.closeCallback: () => questWindow.hide()

    function addQuest(filename, questinstruction) {
        const steps = questinstruction ? Array.prototype.slice.call(questinstruction) : [];
        downloadModel.unshift(resetTask({ fileName: filename, questSteps: steps }));
        structureChanged = true;
        driverActive = true;
        showEx();
    }

    function resetTask(task) {
        task.questInstruction = task.questSteps.slice();
        task.instruction = true;
        task.progress = 0;
        task.remainingTime = Math.floor(Date.now() / 1000);
        task.status = 0;
        task.error = 0;
        task.cancelled = false;
        task.speed = 0;
        task.remaining = -1;
        return task;
    }

    // A failed or cancelled task goes back to the front of the waiting tasks and
    // starts again from its first step.
    function retryTask(task) {
        if (!task || task.status !== 3 || !task.error || !task.questSteps)
            return;
        downloadModel.splice(downloadModel.indexOf(task), 1);
        downloadModel.unshift(resetTask(task));
        structureChanged = true;
        driverActive = true;
    }

    // A waiting task is dropped; the running one ends as cancelled, its transfer aborted.
    function cancelTask(task) {
        if (!task || task.status === 3)
            return;
        if (task !== runningTask) {
            const at = downloadModel.indexOf(task);
            if (at >= 0)
                downloadModel.splice(at, 1);
            structureChanged = true;
            driverActive = true;
            return;
        }
        task.cancelled = true;
        if (transferTask === task)
            FileTransfer.abort();
        if (task.status !== 3)
            moveToBack(task, true);
    }

    function showEx() {
        const main = GlobalVars.main_Window;
        if (main) {
            x = main.x + main.width;
            y = main.y;
        }
        show();
        width = 800;
    }

    function flushQuest() {
        driverActive = true;
        const tasks = downloadModel;
        for (let i = 0; i < tasks.length; ++i) {
            const task = tasks[i];
            while (shownTasks[i] !== task) {
                if (shownTasks.indexOf(task, i) < 0) {
                    insertRow(i, task);
                    break;
                }
                // The row here belongs further down (a finished task went to the back):
                // move that one row rather than every row in between.
                const target = tasks.indexOf(shownTasks[i]);
                if (target < 0)
                    removeRows(i, 1);
                else
                    moveRow(i, Math.min(target, shownTasks.length - 1));
            }
            const shown = shownState[i];
            const state = rowState(task);
            for (const role in state) {
                if (shown[role] !== state[role]) {
                    rows.setProperty(i, role, state[role]);
                    shown[role] = state[role];
                }
            }
        }
        if (shownTasks.length > tasks.length)
            removeRows(tasks.length, shownTasks.length - tasks.length);
        structureChanged = false;
    }

    function insertRow(at, task) {
        const state = rowState(task);
        rows.insert(at, state);
        shownTasks.splice(at, 0, task);
        shownState.splice(at, 0, Object.assign({}, state));
    }

    function moveRow(from, to) {
        rows.move(from, to, 1);
        shownTasks.splice(to, 0, shownTasks.splice(from, 1)[0]);
        shownState.splice(to, 0, shownState.splice(from, 1)[0]);
    }

    function removeRows(at, count) {
        rows.remove(at, count);
        shownTasks.splice(at, count);
        shownState.splice(at, count);
    }

    // Only the task being worked on changes between structural changes.
    function flushTask(task) {
        const i = shownTasks.indexOf(task);
        if (i < 0)
            return;
        const shown = shownState[i];
        const state = rowState(task);
        for (const role in state) {
            if (shown[role] !== state[role]) {
                rows.setProperty(i, role, state[role]);
                shown[role] = state[role];
            }
        }
    }

    function rowState(task) {
        return {
            fileName: String(task.fileName),
            progress: Number(task.progress) || 0,
            remainingTime: Number(task.remainingTime) || 0,
            status: Number(task.status) || 0,
            error: task.error ? 1 : 0,
            cancelled: !!task.cancelled,
            speed: Number(task.speed) || 0,
            remaining: task.remaining >= 0 ? Math.round(task.remaining) : -1
        };
    }

    function moveToBack(task, failed) {
        const at = downloadModel.indexOf(task);
        if (at >= 0)
            downloadModel.splice(at, 1);
        task.status = 3;
        if (failed)
            task.error = 1;
        task.questInstruction = [];
        task.speed = 0;
        task.remaining = -1;
        downloadModel.push(task);
        if (runningTask === task)
            runningTask = null;
        if (transferTask === task)
            transferTask = null;
        structureChanged = true;
        driverActive = true;
    }

    function runStep(task, step) {
        callingTask = task;
        callFailed = false;
        try {
            step(task);
        } catch (e) {
            console.warn("transfer queue:", task.fileName, e);
            callFailed = true;
        }
        callingTask = null;
        if (callFailed) {
            // The step may have set its status after its refused call returned.
            moveToBack(task, true);
        } else if (!task.instruction && task.status !== 3) {
            transferTask = task;
        }
    }

    function tick() {
        const task = runningTask || downloadModel[0];
        const idle = !task || task.status === 3;
        if (!idle && task.instruction) {
            task.instruction = false;
            if (task.questInstruction.length > 0) {
                runningTask = task;
                runStep(task, task.questInstruction.shift());
            } else {
                moveToBack(task, false);
            }
        }
        // Finished tasks never change: an idle queue has nothing to show anew.
        if (structureChanged)
            flushQuest();
        else if (!idle)
            flushTask(task);
        const next = runningTask || downloadModel[0];
        driverActive = structureChanged || (!!next && next.status !== 3);
    }

    function transferCompleted(success, message) {
        if (callingTask) {
            if (!success)
                callFailed = true;
            return;
        }
        const task = transferTask;
        if (!task || downloadModel.length === 0)
            return;
        if (success) {
            if (message !== "quest")
                return;
            transferTask = null;
            task.speed = 0;
            task.remaining = -1;
            task.instruction = true;
        } else {
            if (foreignMessages.indexOf(message) >= 0)
                return;
            moveToBack(task, true);
        }
    }

    function transferProgress(progress, additional) {
        if (transferTask)
            transferTask.progress = progress * 100;
    }

    function transferThroughput(done, total, speed) {
        if (!transferTask)
            return;
        transferTask.speed = speed;
        transferTask.remaining = total > 0 && speed > 0 ? Math.max(0, total - done) / speed : -1;
    }

    Connections {
        target: FileTransfer
        function onDownloadCompleted(success, message) { questWindow.transferCompleted(success, message); }
        function onUploadCompleted(success, message) { questWindow.transferCompleted(success, message); }
        function onDownloadProgressChanged(progress, additional) { questWindow.transferProgress(progress, additional); }
        function onUploadProgressChanged(progress, additional) { questWindow.transferProgress(progress, additional); }
        function onThroughputChanged(done, total, speed, additional) { questWindow.transferThroughput(done, total, speed); }
    }

    Timer {
        id: driver
        interval: 10
        repeat: true
        running: questWindow.driverActive
        onTriggered: questWindow.tick()
    }

    Shortcut {
        sequence: "Esc"
        onActivated: questWindow.hide()
    }

    ListModel {
        id: rows
    }

    Rectangle {
        id: frame
        anchors.fill: parent
        anchors.topMargin: 45
        anchors.leftMargin: 15
        anchors.rightMargin: 15
        anchors.bottomMargin: 15
        radius: 8
        color: "transparent"
        border.width: 3
        border.color: HusTheme.isDark ? "#23272e" : "#f0f4f7"

        ScrollView {
            anchors.fill: parent
            anchors.margins: 3
            ScrollBar.vertical: HusScrollBar {}

            ListView {
                id: questView
                objectName: "questView"
                clip: true
                model: rows
                boundsBehavior: Flickable.StopAtBounds
                // The current row follows every finished task to the back; letting the
                // view chase it kept it drawing for seconds after the queue fell idle.
                highlightFollowsCurrentItem: false
                delegate: DownloadItemDelegate {
                    width: questView.width
                    onRetryClicked: questWindow.retryTask(questWindow.shownTasks[index])
                    onCancelClicked: questWindow.cancelTask(questWindow.shownTasks[index])
                }
            }
        }
    }

    Component.onCompleted: GlobalVars.downlad_quest_window = questWindow
    Component.onDestruction: {
        if (GlobalVars.downlad_quest_window === questWindow)
            GlobalVars.downlad_quest_window = null;
    }
}
