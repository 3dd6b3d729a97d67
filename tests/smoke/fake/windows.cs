// Made-up answers of user32 and Windows Forms for the smoke script's run-through on Linux:
// they let its steps run in order, and know nothing of how Windows behaves.
using System;
using System.IO;
using System.Text;

namespace TessarySmoke {
    public struct RECT { public int Left; public int Top; public int Right; public int Bottom; }
    public struct POINT { public int X; public int Y; }
    public struct MONITORINFO { public int Size; public RECT Monitor; public RECT Work; public int Flags; }

    public static class User32 {
        public static bool Clicked;
        public static int CursorX = -1;
        public static int Swapped;
        public static string Posted = "";
        public static void Reset() { Clicked = false; CursorX = -1; Posted = ""; }
        public static void Send(string name) {
            string state = Environment.GetEnvironmentVariable("SMOKE_FAKE_STATE");
            File.WriteAllText(File.ReadAllText(Path.Combine(state, "data-folder")).Trim() + "/cmd-" + name, "");
        }
        public static IntPtr FindWindowW(string className, string title) {
            if (className == "Progman") return (IntPtr)0x30;
            if (title == null) return IntPtr.Zero;
            return (IntPtr)0x5;
        }
        public static int GetClassNameW(IntPtr w, StringBuilder name, int capacity) {
            name.Append(w == (IntPtr)0x20 ? "WorkerW" : "Progman");
            return name.Length;
        }
        public static IntPtr GetWindowLongPtr(IntPtr w, int index) {
            if (w == (IntPtr)0x10) return index == -16 ? (IntPtr)0x56000000 : (IntPtr)0x08080080;
            if (w == (IntPtr)0x30) return index == -16 ? (IntPtr)unchecked((int)0x96000000) : (IntPtr)0x00200080;
            return index == -16 ? (IntPtr)unchecked((int)0x96000000) : (IntPtr)0x80;
        }
        public static IntPtr GetParent(IntPtr w) { return w == (IntPtr)0x10 ? (IntPtr)0x20 : IntPtr.Zero; }
        public static IntPtr GetAncestor(IntPtr w, uint flags) { return flags == 1 && w == (IntPtr)0x20 ? (IntPtr)0x30 : w; }
        public static bool IsWindowVisible(IntPtr w) { return true; }
        public static bool GetWindowRect(IntPtr w, out RECT r) { r = new RECT(); r.Right = 40; r.Bottom = 20; return true; }
        public static IntPtr GetForegroundWindow() { return (IntPtr)0x99; }
        public static bool SetForegroundWindow(IntPtr w) { return true; }
        public static IntPtr WindowFromPoint(POINT p) { return (IntPtr)0x20; }
        public static bool GetCursorPos(out POINT p) { p = new POINT(); p.X = 7; p.Y = 8; return true; }
        public static bool SetCursorPos(int x, int y) { CursorX = x; return true; }
        // A button's release over the desktop is a click of the primary button only if it is
        // the physical one the swap setting makes primary.
        public static void mouse_event(uint flags, int dx, int dy, uint data, UIntPtr extra) {
            if (flags == (Swapped != 0 ? 0x10u : 0x04u)) Clicked = true;
        }
        public static int GetSystemMetrics(int index) { return index == 23 ? Swapped : 0; }
        public static void keybd_event(byte key, byte scan, uint flags, UIntPtr extra) { }
        public static bool PostMessageW(IntPtr w, uint message, IntPtr wParam, IntPtr lParam) {
            Posted += wParam.ToString() + " ";
            Send(wParam.ToString());
            return true;
        }
        public static bool RedrawWindow(IntPtr w, IntPtr rect, IntPtr region, uint flags) { return true; }
    }
}

namespace System.Windows.Forms {
    public enum FormStartPosition { Manual }
    public enum FormWindowState { Maximized }
    public static class Application { public static void DoEvents() { } }
    public static class Screen { public static object[] AllScreens { get { return new object[1]; } } }
    public static class SystemInformation { public static bool TerminalServerSession { get { return false; } } }
    public class Form : IDisposable {
        public string Text;
        public System.Drawing.Color BackColor;
        public FormStartPosition StartPosition;
        public System.Drawing.Point Location;
        public FormWindowState WindowState;
        public IntPtr Handle { get { return (IntPtr)0x99; } }
        public void Show() { TessarySmoke.User32.Send("cover"); }
        public void Activate() { }
        public void Close() { TessarySmoke.User32.Send("uncover"); }
        public void Dispose() { }
    }
}
