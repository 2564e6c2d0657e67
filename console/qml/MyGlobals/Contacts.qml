pragma Singleton
import QtQuick 2.15

// Where operators reach the makers of the console. The values are placeholders
// (a reserved .example domain and a made-up number) until real ones are handed out.
QtObject {
    readonly property string author: "Vemra"
    readonly property string chatGroupUrl: "https://qm.qq.example/q/KxtJiaoLiuQun"
    readonly property string serviceQQ: "123456789"
}
