<#
.SYNOPSIS
Two-minute smoke check of an unpacked Tessary release on a real Windows 10 or 11 machine.

.DESCRIPTION
Starts tessary.exe from the release folder with a data folder of its own (LOCALAPPDATA
points into a temporary folder for the player's process only), then checks, step by step:
the page's readiness in the preview window, the mount behind the desktop icons (the
parent window's class and styles, the host's styles, Explorer's layout), a click on the
desktop reaching the page, the pause under a maximised window, and the exit. Every step
leaves a screenshot; one report file opens with what the machine offers (Windows build,
Explorer's desktop, the input desktop, resolution, DPI awareness and scale, WebView2
runtime) and gets a PASS, FAIL or SKIP line per check: SKIP where a check cannot apply
here (no Explorer desktop, a locked desktop) or builds on one that did not pass.
Everything it changed is put back. It refuses to run in 32-bit PowerShell and while
another Tessary player runs in this session.

Runs in Windows PowerShell 5.1 and PowerShell 7. This file stays ASCII: Windows
PowerShell reads a script without a byte order mark in the system's code page.

.EXAMPLE
powershell -ExecutionPolicy Bypass -File windows-smoke.ps1 -ReleaseFolder C:\Tessary
#>
[CmdletBinding()]
param(
    # The unpacked release folder with tessary.exe; by default the current folder, or
    # this script's own folder when tessary.exe lies beside it.
    [string]$ReleaseFolder = '',
    # Where the report, the screenshots and a copy of the player's log go; by default a new
    # folder tessary-smoke-<time> in the temporary folder.
    [string]$OutDir = '',
    # The longest wait for any one thing the player should do.
    [int]$TimeoutSeconds = 30,
    # Keep the player's temporary data folder (its library, profile and log) afterwards.
    [switch]$KeepData
)

Set-StrictMode -Version 2.0
$ErrorActionPreference = 'Stop'

# ---------------------------------------------------------------------------------------
# Platform-free parts: options, the report, the log, the rules the checks apply. They run
# anywhere PowerShell runs, so they are checked on Linux too (tests/smoke).
# ---------------------------------------------------------------------------------------

$script:SmokeWallpaperId = 'tessary-smoke'
# The smoke wallpaper's colours: the page before and after it hears a click.
$script:ColourWaiting = @(18, 140, 126)
$script:ColourClicked = @(194, 24, 91)

function Resolve-SmokeOptions {
    param(
        [string]$ReleaseFolder,
        [string]$OutDir,
        [int]$TimeoutSeconds,
        [string]$CurrentFolder,
        [string]$ScriptFolder,
        [string]$TempFolder,
        [datetime]$Now
    )
    if ($TimeoutSeconds -lt 5 -or $TimeoutSeconds -gt 600) {
        throw "-TimeoutSeconds must be between 5 and 600, not $TimeoutSeconds"
    }
    $candidates = @()
    if ($ReleaseFolder) {
        $candidates = @($ReleaseFolder)
    } else {
        $candidates = @($CurrentFolder, $ScriptFolder)
    }
    $folder = $null
    foreach ($candidate in $candidates) {
        if ($candidate -and (Test-Path -LiteralPath (Join-Path $candidate 'tessary.exe') -PathType Leaf)) {
            $folder = $candidate
            break
        }
    }
    if (-not $folder) {
        throw ("no tessary.exe in " + ($candidates -join ' or ') +
            ": run this from the unpacked release folder or name it with -ReleaseFolder")
    }
    $folder = (Resolve-Path -LiteralPath $folder).ProviderPath
    if (-not $OutDir) {
        $OutDir = Join-Path $TempFolder ('tessary-smoke-' + $Now.ToString('yyyyMMdd-HHmmss', [Globalization.CultureInfo]::InvariantCulture))
    }
    # .NET resolves relative paths against the process's folder, not PowerShell's location.
    $OutDir = $ExecutionContext.SessionState.Path.GetUnresolvedProviderPathFromPSPath($OutDir)
    return @{
        ReleaseFolder  = $folder
        Player         = Join-Path $folder 'tessary.exe'
        OutDir         = $OutDir
        TimeoutSeconds = $TimeoutSeconds
    }
}

function New-SmokeReport {
    param([datetime]$Started)
    return @{
        Started = $Started
        Facts   = New-Object System.Collections.ArrayList
        Results = New-Object System.Collections.ArrayList
    }
}

# A fact worth keeping beside the results (Windows build, runtime version, layout...).
function Add-SmokeFact {
    param($Report, [string]$Name, [string]$Value)
    [void]$Report.Facts.Add(@{ Name = $Name; Value = $Value })
}

function Add-SmokeVerdict {
    param($Report, [string]$Verdict, [string]$Check, [string]$Detail)
    [void]$Report.Results.Add(@{ Verdict = $Verdict; Check = $Check; Detail = $Detail })
    Write-Host ("{0} {1}: {2}" -f $Verdict, $Check, $Detail)
}

function Add-SmokeResult {
    param($Report, [bool]$Passed, [string]$Check, [string]$Detail)
    $verdict = 'FAIL'
    if ($Passed) { $verdict = 'PASS' }
    Add-SmokeVerdict $Report $verdict $Check $Detail
    return $Passed
}

# The verdict of the last line for a check; '' when the check was not reached.
function Get-SmokeVerdict {
    param($Report, [string]$Check)
    $verdict = ''
    foreach ($result in $Report.Results) {
        if ($result.Check -eq $Check) { $verdict = $result.Verdict }
    }
    return $verdict
}

# A check that cannot apply here (the blocker says why) or that builds on one that did not
# pass is SKIP, not FAIL: the report then tells the machine's limits from the player's
# faults. Returns whether the checks may run.
function Test-SmokeNeeds {
    param($Report, [string[]]$Checks, [string[]]$Needs = @(), [string]$Blocker = '')
    $reason = $Blocker
    if (-not $reason) {
        foreach ($need in $Needs) {
            $verdict = Get-SmokeVerdict $Report $need
            if ($verdict -eq 'PASS') { continue }
            $state = 'did not run'
            if ($verdict -eq 'FAIL') { $state = 'failed' }
            if ($verdict -eq 'SKIP') { $state = 'was skipped' }
            $reason = "needs '$need', which $state"
            break
        }
    }
    if (-not $reason) { return $true }
    foreach ($check in $Checks) { Add-SmokeVerdict $Report 'SKIP' $check $reason }
    return $false
}

function Get-SmokeCounts {
    param($Report)
    $passed = @($Report.Results | Where-Object { $_.Verdict -eq 'PASS' }).Count
    $failed = @($Report.Results | Where-Object { $_.Verdict -eq 'FAIL' }).Count
    $skipped = @($Report.Results | Where-Object { $_.Verdict -eq 'SKIP' }).Count
    return @{ Passed = $passed; Failed = $failed; Skipped = $skipped }
}

# Nothing checked counts as a failure: a report must show that something was looked at.
function Get-SmokeExitCode {
    param($Report)
    $counts = Get-SmokeCounts $Report
    if ($counts.Failed -eq 0 -and $counts.Passed -gt 0) { return 0 }
    return 1
}

function Format-SmokeReport {
    param($Report)
    $lines = New-Object System.Collections.ArrayList
    [void]$lines.Add('Tessary smoke report')
    # Invariant: a culture's own calendar or time separator would make the stamp unreadable.
    [void]$lines.Add('started: ' + $Report.Started.ToUniversalTime().ToString('yyyy-MM-ddTHH:mm:ssZ', [Globalization.CultureInfo]::InvariantCulture))
    foreach ($fact in $Report.Facts) {
        [void]$lines.Add($fact.Name + ': ' + $fact.Value)
    }
    foreach ($result in $Report.Results) {
        [void]$lines.Add($result.Verdict + ' ' + $result.Check + ': ' + $result.Detail)
    }
    $counts = Get-SmokeCounts $Report
    # SKIP: nothing failed, and nothing could be checked either.
    $overall = 'FAIL'
    if ((Get-SmokeExitCode $Report) -eq 0) { $overall = 'PASS' }
    elseif ($counts.Failed -eq 0 -and $counts.Skipped -gt 0) { $overall = 'SKIP' }
    [void]$lines.Add(('result: {0} ({1} passed, {2} failed, {3} skipped)' -f $overall, $counts.Passed, $counts.Failed, $counts.Skipped))
    return , ([string[]]$lines.ToArray())
}

function Write-SmokeReport {
    param($Report, [string]$Path)
    $text = ((Format-SmokeReport $Report) -join "`r`n") + "`r`n"
    [System.IO.File]::WriteAllText($Path, $text, (New-Object System.Text.UTF8Encoding $false))
}

# The player's log, read while the player holds it open for appending.
function Read-SharedLines {
    param([string]$Path)
    if (-not (Test-Path -LiteralPath $Path -PathType Leaf)) { return , ([string[]]@()) }
    $share = [System.IO.FileShare]::ReadWrite -bor [System.IO.FileShare]::Delete
    $stream = New-Object System.IO.FileStream($Path, [System.IO.FileMode]::Open, [System.IO.FileAccess]::Read, $share)
    try {
        $reader = New-Object System.IO.StreamReader($stream, (New-Object System.Text.UTF8Encoding $false))
        $text = $reader.ReadToEnd()
    } finally {
        $stream.Dispose()
    }
    # Only whole lines: the player may be half-way through writing the last one.
    $end = $text.LastIndexOf("`n")
    if ($end -lt 0) { return , ([string[]]@()) }
    return , ([string[]]$text.Substring(0, $end).Split("`n"))
}

# Index of the first log line at or after From whose message (the text after the
# "[seconds] " stamp) matches the pattern; -1 when there is none.
function Find-LogLine {
    param([string[]]$Lines, [string]$Message, [int]$From = 0)
    $pattern = '^\[\d+\] ' + $Message
    for ($i = [Math]::Max(0, $From); $i -lt $Lines.Count; $i++) {
        if ($Lines[$i] -match $pattern) { return $i }
    }
    return -1
}

function Get-LogMessage {
    param([string]$Line)
    return ($Line -replace '^\[\d+\] ', '')
}

function ConvertFrom-HandleText {
    param([string]$Text)
    if ($Text -notmatch '^0x[0-9a-f]+$') { throw "not a window handle: $Text" }
    return [Convert]::ToInt64($Text.Substring(2), 16)
}

# "desktop mounted host=0x... parent=0x..." and "loaded ID mode=M host=0x... parent=0x...".
function ConvertFrom-PlacementLine {
    param([string]$Line)
    $message = Get-LogMessage $Line
    if ($message -match '^desktop mounted host=(0x[0-9a-f]+) parent=(0x[0-9a-f]+)$') {
        return @{ Id = ''; Mode = 'desktop'; Host = (ConvertFrom-HandleText $Matches[1]); Parent = (ConvertFrom-HandleText $Matches[2]) }
    }
    if ($message -match '^loaded (\S+) mode=(desktop|preview) host=(0x[0-9a-f]+) parent=(0x[0-9a-f]+)$') {
        return @{ Id = $Matches[1]; Mode = $Matches[2]; Host = (ConvertFrom-HandleText $Matches[3]); Parent = (ConvertFrom-HandleText $Matches[4]) }
    }
    return $null
}

function ConvertTo-HexText {
    param([long]$Value)
    return ('0x{0:x}' -f $Value)
}

# Explorer's desktop as the player found it. classic: the wallpaper WorkerW is a top-level
# window after the one holding the icons (Windows 10, Windows 11 before 24H2). newer: the
# icons and the WorkerW are children of Progman. 24H2: the same, with Progman created
# WS_EX_NOREDIRECTIONBITMAP (Windows 11 from build 26100).
function Get-DesktopLayout {
    param([bool]$ParentUnderProgman, [long]$ProgmanExStyle)
    if (-not $ParentUnderProgman) { return 'classic' }
    if (($ProgmanExStyle -band 0x00200000) -ne 0) { return '24H2' }
    return 'newer'
}

# The mounted host's styles: a child without frame or caption that never activates; on
# 24H2 also layered, or the compositor leaves it out of the desktop. Returns what is wrong.
function Test-MountedStyles {
    param([long]$Style, [long]$ExStyle, [string]$Layout)
    $problems = New-Object System.Collections.ArrayList
    $frame = [long]0x00C00000 -bor 0x00080000 -bor 0x00040000 -bor 0x00020000 -bor 0x00010000
    $popup = [long]2147483648  # WS_POPUP, 0x80000000
    if (($Style -band 0x40000000) -eq 0) { [void]$problems.Add('not WS_CHILD') }
    if (($Style -band $popup) -ne 0) { [void]$problems.Add('WS_POPUP') }
    if (($Style -band $frame) -ne 0) { [void]$problems.Add('caption or frame bits ' + (ConvertTo-HexText ($Style -band $frame))) }
    if (($ExStyle -band 0x08000000) -eq 0) { [void]$problems.Add('no WS_EX_NOACTIVATE') }
    if (($ExStyle -band 0x00000080) -eq 0) { [void]$problems.Add('no WS_EX_TOOLWINDOW') }
    if (($ExStyle -band 0x00040000) -ne 0) { [void]$problems.Add('WS_EX_APPWINDOW') }
    if ($Layout -eq '24H2' -and ($ExStyle -band 0x00080000) -eq 0) { [void]$problems.Add('no WS_EX_LAYERED on the 24H2 desktop') }
    return , ([string[]]$problems.ToArray())
}

# Share of sampled pixels (32-bit BGRA rows) within the region that are near the colour.
function Measure-ColourShare {
    param([byte[]]$Bgra, [int]$Stride, [int]$X, [int]$Y, [int]$Width, [int]$Height,
        [int[]]$Rgb, [int]$Tolerance = 24, [int]$Step = 10)
    $hits = 0
    $total = 0
    for ($row = $Y; $row -lt $Y + $Height; $row += $Step) {
        $base = $row * $Stride
        for ($col = $X; $col -lt $X + $Width; $col += $Step) {
            $i = $base + $col * 4
            $total++
            if ([Math]::Abs([int]$Bgra[$i + 2] - $Rgb[0]) -le $Tolerance -and
                [Math]::Abs([int]$Bgra[$i + 1] - $Rgb[1]) -le $Tolerance -and
                [Math]::Abs([int]$Bgra[$i] - $Rgb[2]) -le $Tolerance) { $hits++ }
        }
    }
    if ($total -eq 0) { return 0.0 }
    return $hits / $total
}

function Format-Share {
    param([double]$Share)
    return ('{0:0}%' -f ($Share * 100))
}

function Format-Colour {
    param([int[]]$Rgb)
    return ('#{0:x2}{1:x2}{2:x2}' -f $Rgb[0], $Rgb[1], $Rgb[2])
}

# Window handles, styles and the x64 runtime's registry view are those of a 64-bit process:
# 32-bit PowerShell (SysWOW64) would read other keys and cut handles short.
function Get-HostRefusal {
    param([int]$PointerSize, [bool]$Is64BitWindows)
    if ($PointerSize -eq 8) { return '' }
    if ($Is64BitWindows) {
        return ('this is 32-bit PowerShell; run the 64-bit one: ' +
            '%SystemRoot%\System32\WindowsPowerShell\v1.0\powershell.exe or pwsh')
    }
    return 'this is a 32-bit Windows; Tessary needs 64-bit Windows 10 or later'
}

# mouse_event names physical buttons; the primary one is the right when the user swapped them.
function Get-PrimaryButtonEvents {
    param([bool]$Swapped)
    if ($Swapped) { return , ([uint32[]]@(0x0008, 0x0010)) }
    return , ([uint32[]]@(0x0002, 0x0004))
}

# Players of this session only: another user's player is none of this check's business.
function Select-SessionProcesses {
    param($Processes, [int]$SessionId)
    return , @($Processes | Where-Object { $_.SessionId -eq $SessionId })
}

# The pre-flight facts in the report's order.
function Add-PreflightFacts {
    param($Report, $Preflight)
    Add-SmokeFact $Report 'windows build' $Preflight.Build
    Add-SmokeFact $Report 'windows' $Preflight.Description
    Add-SmokeFact $Report 'session' $Preflight.Session
    $explorer = 'none (no Progman)'
    if ($Preflight.Progman) {
        $explorer = 'Progman present, icon view ' + $(if ($Preflight.IconView) { 'present' } else { 'missing' })
    }
    Add-SmokeFact $Report 'explorer desktop' $explorer
    $inputDesktop = 'not available to this session (locked, a secure desktop or a service session)'
    if ($Preflight.InputDesktop) { $inputDesktop = $Preflight.InputDesktop }
    Add-SmokeFact $Report 'input desktop' $inputDesktop
    Add-SmokeFact $Report 'resolution' $Preflight.Resolution
    Add-SmokeFact $Report 'dpi awareness' $Preflight.DpiAwareness
    Add-SmokeFact $Report 'primary monitor scale' $Preflight.Scale
    $runtime = 'not installed'
    if ($Preflight.Runtime) { $runtime = $Preflight.Runtime }
    Add-SmokeFact $Report 'webview2 runtime' $runtime
}

# Which checks cannot apply on this machine, and why: Screen for anything that needs the
# interactive desktop (screenshots, foreground, clicks), Desktop also for Explorer's
# windows, Page for anything that needs the browser.
function Get-SmokeBlockers {
    param($Preflight)
    $screen = ''
    if ($Preflight.InputDesktop -ne 'Default') {
        $screen = 'the input desktop is not this session''s interactive one (locked, a secure desktop or a service session)'
    }
    $desktop = $screen
    if (-not $desktop -and -not $Preflight.Progman) { $desktop = 'no Explorer desktop (Progman) in this session' }
    if (-not $desktop -and -not $Preflight.IconView) { $desktop = 'Explorer''s desktop has no icon view (SHELLDLL_DefView)' }
    $page = ''
    if (-not $Preflight.Runtime) { $page = 'the WebView2 Evergreen Runtime (x64) is not installed' }
    return @{ Screen = $screen; Desktop = $desktop; Page = $page }
}

# The smoke wallpaper: one colour until the player delivers a desktop click, another after.
function Get-SmokeWallpaperFiles {
    $waiting = Format-Colour $script:ColourWaiting
    $clicked = Format-Colour $script:ColourClicked
    $manifest = @"
{
  "id": "$($script:SmokeWallpaperId)",
  "name": "Smoke check",
  "version": 1,
  "entry": "index.html",
  "fps": 30
}
"@
    $html = @"
<!doctype html>
<html>
<head>
  <meta charset="utf-8">
  <title>Tessary smoke check</title>
  <link rel="stylesheet" href="smoke.css">
</head>
<body>
  <p id="status">smoke check: waiting for a desktop click</p>
  <script src="smoke.js"></script>
</body>
</html>
"@
    $css = @"
html, body { margin: 0; width: 100%; height: 100%; overflow: hidden; }
body { background: $waiting; color: #ffffff; font: 20px sans-serif; }
body.clicked { background: $clicked; }
p { margin: 24px; }
"@
    $js = @"
// The smoke check reads the page's colour from the screen.
window.wallpaper.on('click', (detail) => {
  document.body.className = 'clicked';
  document.getElementById('status').textContent =
    'smoke check: click at x=' + detail.x.toFixed(3) + ' y=' + detail.y.toFixed(3);
});
"@
    return [ordered]@{
        'manifest.json' = $manifest
        'index.html'    = $html
        'smoke.css'     = $css
        'smoke.js'      = $js
    }
}

function Write-SmokeWallpaper {
    param([string]$Folder)
    New-Item -ItemType Directory -Force -Path $Folder | Out-Null
    $utf8 = New-Object System.Text.UTF8Encoding $false
    $files = Get-SmokeWallpaperFiles
    foreach ($name in $files.Keys) {
        $text = $files[$name] -replace "`r`n", "`n"
        [System.IO.File]::WriteAllText((Join-Path $Folder $name), $text + "`n", $utf8)
    }
}

function ConvertTo-ArgumentText {
    param([string]$Argument)
    if ($Argument -notmatch '[\s"]' -and $Argument -ne '') { return $Argument }
    return '"' + ($Argument -replace '"', '\"') + '"'
}

# The user32 calls the Windows steps make. C# 5, as Windows PowerShell 5.1 compiles it.
function Get-SmokeInteropSource {
    return @'
using System;
using System.Runtime.InteropServices;
using System.Text;

namespace TessarySmoke {
    [StructLayout(LayoutKind.Sequential)]
    public struct RECT { public int Left; public int Top; public int Right; public int Bottom; }

    [StructLayout(LayoutKind.Sequential)]
    public struct POINT { public int X; public int Y; }

    [StructLayout(LayoutKind.Sequential)]
    public struct MONITORINFO { public int Size; public RECT Monitor; public RECT Work; public int Flags; }

    public static class User32 {
        [DllImport("user32.dll", CharSet = CharSet.Unicode)]
        public static extern IntPtr FindWindowW(string className, string title);
        [DllImport("user32.dll", CharSet = CharSet.Unicode)]
        public static extern int GetClassNameW(IntPtr window, StringBuilder name, int capacity);
        [DllImport("user32.dll", EntryPoint = "GetWindowLongPtrW")]
        public static extern IntPtr GetWindowLongPtr(IntPtr window, int index);
        [DllImport("user32.dll")]
        public static extern IntPtr GetParent(IntPtr window);
        [DllImport("user32.dll")]
        public static extern IntPtr GetAncestor(IntPtr window, uint flags);
        [DllImport("user32.dll")]
        public static extern bool IsWindow(IntPtr window);
        [DllImport("user32.dll")]
        public static extern bool IsWindowVisible(IntPtr window);
        [DllImport("user32.dll")]
        public static extern bool GetWindowRect(IntPtr window, out RECT rect);
        [DllImport("user32.dll")]
        public static extern IntPtr GetForegroundWindow();
        [DllImport("user32.dll")]
        public static extern bool SetForegroundWindow(IntPtr window);
        [DllImport("user32.dll")]
        public static extern IntPtr WindowFromPoint(POINT point);
        [DllImport("user32.dll")]
        public static extern bool GetCursorPos(out POINT point);
        [DllImport("user32.dll")]
        public static extern bool SetCursorPos(int x, int y);
        [DllImport("user32.dll")]
        public static extern void mouse_event(uint flags, int dx, int dy, uint data, UIntPtr extra);
        [DllImport("user32.dll")]
        public static extern void keybd_event(byte key, byte scan, uint flags, UIntPtr extra);
        [DllImport("user32.dll")]
        public static extern bool PostMessageW(IntPtr window, uint message, IntPtr wParam, IntPtr lParam);
        [DllImport("user32.dll")]
        public static extern IntPtr MonitorFromPoint(POINT point, uint flags);
        [DllImport("user32.dll")]
        public static extern bool GetMonitorInfoW(IntPtr monitor, ref MONITORINFO info);
        [DllImport("user32.dll")]
        public static extern bool PrintWindow(IntPtr window, IntPtr dc, uint flags);
        [DllImport("user32.dll")]
        public static extern bool RedrawWindow(IntPtr window, IntPtr rect, IntPtr region, uint flags);
        [DllImport("user32.dll", SetLastError = true)]
        public static extern bool SetProcessDpiAwarenessContext(IntPtr context);
        [DllImport("user32.dll")]
        public static extern bool SetProcessDPIAware();
        [DllImport("user32.dll", CharSet = CharSet.Unicode)]
        public static extern IntPtr FindWindowExW(IntPtr parent, IntPtr after, string className, string title);
        [DllImport("user32.dll")]
        public static extern int GetSystemMetrics(int index);
        [DllImport("user32.dll", SetLastError = true)]
        public static extern IntPtr OpenInputDesktop(uint flags, bool inherit, uint access);
        [DllImport("user32.dll", CharSet = CharSet.Unicode, SetLastError = true)]
        public static extern bool GetUserObjectInformationW(IntPtr handle, int index, StringBuilder info, int length, out int needed);
        [DllImport("user32.dll")]
        public static extern bool CloseDesktop(IntPtr desktop);
        [DllImport("user32.dll")]
        public static extern IntPtr GetThreadDpiAwarenessContext();
        [DllImport("user32.dll")]
        public static extern int GetAwarenessFromDpiAwarenessContext(IntPtr context);
        [DllImport("user32.dll")]
        public static extern bool AreDpiAwarenessContextsEqual(IntPtr a, IntPtr b);
    }

    public static class Shcore {
        [DllImport("shcore.dll")]
        public static extern int GetDpiForMonitor(IntPtr monitor, int type, out uint dpiX, out uint dpiY);
    }
}
'@
}

# ---------------------------------------------------------------------------------------
# Windows steps.
# ---------------------------------------------------------------------------------------

function Initialize-SmokeInterop {
    if (-not ('TessarySmoke.User32' -as [type])) {
        Add-Type -TypeDefinition (Get-SmokeInteropSource)
    }
    Add-Type -AssemblyName System.Drawing
    Add-Type -AssemblyName System.Windows.Forms
    # Physical pixels everywhere: screenshots, cursor positions and window rectangles.
    $aware = $false
    try { $aware = [TessarySmoke.User32]::SetProcessDpiAwarenessContext([IntPtr](-4)) } catch { $aware = $false }
    if (-not $aware) { [void][TessarySmoke.User32]::SetProcessDPIAware() }
}

function Get-WindowsFacts {
    $key = Get-ItemProperty -Path 'HKLM:\SOFTWARE\Microsoft\Windows NT\CurrentVersion'
    $build = [int]$key.CurrentBuild
    $ubr = 0
    if ($key.PSObject.Properties['UBR']) { $ubr = [int]$key.UBR }
    $release = ''
    if ($key.PSObject.Properties['DisplayVersion']) { $release = [string]$key.DisplayVersion }
    elseif ($key.PSObject.Properties['ReleaseId']) { $release = [string]$key.ReleaseId }
    # Windows 11 still calls itself "Windows 10" in ProductName; the build tells them apart.
    $family = 'Windows 10'
    if ($build -ge 22000) { $family = 'Windows 11' }
    $installation = ''
    if ($key.PSObject.Properties['InstallationType']) { $installation = [string]$key.InstallationType }
    if ($installation -eq 'Server') { $family = [string]$key.ProductName }
    return @{
        Build       = ('{0}.{1}' -f $build, $ubr)
        Description = ('{0} {1} ({2})' -f $family, $release, $key.ProductName).Replace('  ', ' ')
    }
}

# The Evergreen runtime's version, from the keys its installers write (per machine or per user).
function Get-WebView2Version {
    $client = 'Microsoft\EdgeUpdate\Clients\{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}'
    foreach ($path in @("HKLM:\SOFTWARE\WOW6432Node\$client", "HKLM:\SOFTWARE\$client", "HKCU:\Software\$client")) {
        $item = Get-ItemProperty -Path $path -ErrorAction SilentlyContinue
        if ($item -and $item.PSObject.Properties['pv'] -and $item.pv -and $item.pv -ne '0.0.0.0') { return [string]$item.pv }
    }
    return ''
}

# The input desktop's name ("Default" when this session's user can see and click it), or ''
# when this process may not open it (a locked workstation shows "Winlogon", a service
# session has none).
function Get-InputDesktopName {
    $desktop = [TessarySmoke.User32]::OpenInputDesktop(0, $false, 0x0001)
    if ($desktop -eq [IntPtr]::Zero) { return '' }
    try {
        $name = New-Object System.Text.StringBuilder 256
        $needed = 0
        if (-not [TessarySmoke.User32]::GetUserObjectInformationW($desktop, 2, $name, 512, [ref]$needed)) { return '' }
        return $name.ToString()
    } finally {
        [void][TessarySmoke.User32]::CloseDesktop($desktop)
    }
}

# Explorer's icon view, under Progman (newer layouts) or a top-level WorkerW (classic).
function Test-IconView {
    param([IntPtr]$Progman)
    $none = [IntPtr]::Zero
    if ([TessarySmoke.User32]::FindWindowExW($Progman, $none, 'SHELLDLL_DefView', [NullString]::Value) -ne $none) { return $true }
    $worker = [TessarySmoke.User32]::FindWindowExW($none, $none, 'WorkerW', [NullString]::Value)
    while ($worker -ne $none) {
        if ([TessarySmoke.User32]::FindWindowExW($worker, $none, 'SHELLDLL_DefView', [NullString]::Value) -ne $none) { return $true }
        $worker = [TessarySmoke.User32]::FindWindowExW($none, $worker, 'WorkerW', [NullString]::Value)
    }
    return $false
}

# This script's DPI awareness as Windows reports it: the screenshots and rectangles are
# physical pixels only when it is per-monitor.
function Get-DpiAwarenessText {
    try {
        $context = [TessarySmoke.User32]::GetThreadDpiAwarenessContext()
        if ([TessarySmoke.User32]::AreDpiAwarenessContextsEqual($context, [IntPtr](-4))) { return 'per-monitor v2' }
        switch ([TessarySmoke.User32]::GetAwarenessFromDpiAwarenessContext($context)) {
            0 { return 'unaware (screenshots are scaled)' }
            1 { return 'system' }
            2 { return 'per-monitor' }
        }
        return 'unknown'
    } catch {
        return 'unknown (before Windows 10 1607)'
    }
}

function Get-PrimaryScaleText {
    $monitor = [TessarySmoke.User32]::MonitorFromPoint((New-Object TessarySmoke.POINT), 1)
    $dpiX = [uint32]0
    $dpiY = [uint32]0
    try {
        if ([TessarySmoke.Shcore]::GetDpiForMonitor($monitor, 0, [ref]$dpiX, [ref]$dpiY) -ne 0) { return 'unknown' }
    } catch {
        return 'unknown'
    }
    return ('{0}% ({1} dpi)' -f [int]($dpiX * 100 / 96), $dpiX)
}

# What the machine offers, taken once before anything starts.
function Get-SmokePreflight {
    $windows = Get-WindowsFacts
    $progman = [TessarySmoke.User32]::FindWindowW('Progman', [NullString]::Value)
    $primary = Get-PrimaryMonitor
    $screens = [System.Windows.Forms.Screen]::AllScreens
    $session = 'console'
    if ([System.Windows.Forms.SystemInformation]::TerminalServerSession) { $session = 'Remote Desktop (desktop results may differ from a console session)' }
    return @{
        Build        = $windows.Build
        Description  = $windows.Description
        Session      = $session
        Progman      = ($progman -ne [IntPtr]::Zero)
        IconView     = ($progman -ne [IntPtr]::Zero -and (Test-IconView $progman))
        InputDesktop = (Get-InputDesktopName)
        Resolution   = ('primary {0}x{1}; {2} monitor(s) (only the primary is checked)' -f
            ($primary.Right - $primary.Left), ($primary.Bottom - $primary.Top), $screens.Count)
        DpiAwareness = (Get-DpiAwarenessText)
        Scale        = (Get-PrimaryScaleText)
        Runtime      = (Get-WebView2Version)
    }
}

function Find-RunningPlayer {
    $found = @()
    $window = [TessarySmoke.User32]::FindWindowW('Tessary.Control', [NullString]::Value)
    if ($window -ne [IntPtr]::Zero) { $found += ('a Tessary control window ' + (ConvertTo-HexText $window.ToInt64())) }
    $processes = @(Get-Process -Name 'tessary', 'tessary-preview' -ErrorAction SilentlyContinue)
    foreach ($process in (Select-SessionProcesses $processes ([System.Diagnostics.Process]::GetCurrentProcess().SessionId))) {
        $found += ('{0}.exe (process {1})' -f $process.ProcessName, $process.Id)
    }
    return , $found
}

function Start-PlayerProcess {
    param([string]$Player, [string[]]$Arguments, [string]$LocalAppData)
    $info = New-Object System.Diagnostics.ProcessStartInfo
    $info.FileName = $Player
    $info.Arguments = (@($Arguments | ForEach-Object { ConvertTo-ArgumentText $_ }) -join ' ')
    $info.UseShellExecute = $false
    $info.WorkingDirectory = Split-Path -Parent $Player
    # The player reads no other variable: this one alone gives it a data folder of its own.
    $info.EnvironmentVariables['LOCALAPPDATA'] = $LocalAppData
    return [System.Diagnostics.Process]::Start($info)
}

function Invoke-PlayerCommand {
    param($Context, [string[]]$Arguments)
    $process = Start-PlayerProcess $Context.Options.Player $Arguments $Context.LocalAppData
    if (-not $process.WaitForExit($Context.Options.TimeoutSeconds * 1000)) {
        $process.Kill()
        return ('still running after {0} s (a message box?)' -f $Context.Options.TimeoutSeconds)
    }
    if ($process.ExitCode -ne 0) { return ('exit code ' + $process.ExitCode) }
    return ''
}

# Polls until the condition returns something other than $null or $false; the pump keeps a
# window of this script responsive meanwhile.
function Wait-Until {
    param([int]$TimeoutSeconds, [scriptblock]$Condition, [scriptblock]$Pump = $null)
    $deadline = [DateTime]::UtcNow.AddSeconds($TimeoutSeconds)
    while ($true) {
        if ($Pump) { & $Pump }
        $value = & $Condition
        if ($null -ne $value -and -not ($value -is [bool] -and -not $value)) { return $value }
        if ([DateTime]::UtcNow -ge $deadline) { return $null }
        Start-Sleep -Milliseconds 200
    }
}

function Wait-LogLine {
    param($Context, [string]$Message, [int]$From = 0, [scriptblock]$Pump = $null)
    $log = $Context.LogPath
    $found = Wait-Until $Context.Options.TimeoutSeconds {
        if (-not $log) { return $null }
        $index = Find-LogLine (Read-SharedLines $log) $Message $From
        if ($index -ge 0) { return $index + 1 }
        return $null
    } $Pump
    if ($null -eq $found) { return -1 }
    return $found - 1
}

function Get-LogLines {
    param($Context)
    return , (Read-SharedLines $Context.LogPath)
}

function Get-ClassName {
    param([IntPtr]$Window)
    $name = New-Object System.Text.StringBuilder 256
    [void][TessarySmoke.User32]::GetClassNameW($Window, $name, 256)
    return $name.ToString()
}

function Get-WindowStyles {
    param([IntPtr]$Window)
    $mask = [long]4294967295
    return @{
        Style   = ([TessarySmoke.User32]::GetWindowLongPtr($Window, -16).ToInt64() -band $mask)
        ExStyle = ([TessarySmoke.User32]::GetWindowLongPtr($Window, -20).ToInt64() -band $mask)
    }
}

function Get-PrimaryMonitor {
    $origin = New-Object TessarySmoke.POINT
    $monitor = [TessarySmoke.User32]::MonitorFromPoint($origin, 1)
    $info = New-Object TessarySmoke.MONITORINFO
    $info.Size = [System.Runtime.InteropServices.Marshal]::SizeOf([type][TessarySmoke.MONITORINFO])
    [void][TessarySmoke.User32]::GetMonitorInfoW($monitor, [ref]$info)
    return $info.Monitor
}

function Get-BitmapPixels {
    param($Bitmap)
    $rect = New-Object System.Drawing.Rectangle(0, 0, $Bitmap.Width, $Bitmap.Height)
    $data = $Bitmap.LockBits($rect, [System.Drawing.Imaging.ImageLockMode]::ReadOnly,
        [System.Drawing.Imaging.PixelFormat]::Format32bppArgb)
    try {
        $bytes = New-Object byte[] ($data.Stride * $data.Height)
        [System.Runtime.InteropServices.Marshal]::Copy($data.Scan0, $bytes, 0, $bytes.Length)
        return @{ Bgra = $bytes; Stride = $data.Stride; Width = $Bitmap.Width; Height = $Bitmap.Height }
    } finally {
        $Bitmap.UnlockBits($data)
    }
}

# Saves the whole virtual screen as PNG and returns its pixels with the primary monitor's
# place in them.
function Save-Screen {
    param($Context, [string]$Name)
    $screen = [System.Windows.Forms.SystemInformation]::VirtualScreen
    $bitmap = New-Object System.Drawing.Bitmap($screen.Width, $screen.Height, [System.Drawing.Imaging.PixelFormat]::Format32bppArgb)
    try {
        $graphics = [System.Drawing.Graphics]::FromImage($bitmap)
        # CAPTUREBLT: without it the copy leaves out layered windows, and on 24H2 the mounted
        # host is one.
        $operation = [Enum]::ToObject([System.Drawing.CopyPixelOperation],
            ([int][System.Drawing.CopyPixelOperation]::SourceCopy -bor [int][System.Drawing.CopyPixelOperation]::CaptureBlt))
        try { $graphics.CopyFromScreen($screen.X, $screen.Y, 0, 0, $bitmap.Size, $operation) } finally { $graphics.Dispose() }
        $bitmap.Save((Join-Path $Context.Options.OutDir $Name), [System.Drawing.Imaging.ImageFormat]::Png)
        $pixels = Get-BitmapPixels $bitmap
    } finally {
        $bitmap.Dispose()
    }
    $primary = Get-PrimaryMonitor
    $pixels.ScreenX = $screen.X
    $pixels.ScreenY = $screen.Y
    $pixels.Region = @{
        X = $primary.Left - $screen.X; Y = $primary.Top - $screen.Y
        Width = $primary.Right - $primary.Left; Height = $primary.Bottom - $primary.Top
    }
    return $pixels
}

# The middle half of a window's rectangle within a screenshot: clear of frame and caption.
function Set-WindowRegion {
    param($Pixels, [IntPtr]$Window)
    $rect = New-Object TessarySmoke.RECT
    if (-not [TessarySmoke.User32]::GetWindowRect($Window, [ref]$rect)) { return $false }
    $width = $rect.Right - $rect.Left
    $height = $rect.Bottom - $rect.Top
    $Pixels.Region = @{
        X = [int]($rect.Left - $Pixels.ScreenX + $width / 4); Y = [int]($rect.Top - $Pixels.ScreenY + $height / 4)
        Width = [int]($width / 2); Height = [int]($height / 2)
    }
    return ($width -gt 0 -and $height -gt 0)
}

# The window's own content, even where other windows cover it (PW_RENDERFULLCONTENT).
function Save-Window {
    param($Context, [IntPtr]$Window, [string]$Name)
    $rect = New-Object TessarySmoke.RECT
    if (-not [TessarySmoke.User32]::GetWindowRect($Window, [ref]$rect)) { return $null }
    $width = $rect.Right - $rect.Left
    $height = $rect.Bottom - $rect.Top
    if ($width -le 0 -or $height -le 0) { return $null }
    $bitmap = New-Object System.Drawing.Bitmap($width, $height, [System.Drawing.Imaging.PixelFormat]::Format32bppArgb)
    try {
        $graphics = [System.Drawing.Graphics]::FromImage($bitmap)
        $dc = $graphics.GetHdc()
        try { $printed = [TessarySmoke.User32]::PrintWindow($Window, $dc, 2) } finally {
            $graphics.ReleaseHdc($dc)
            $graphics.Dispose()
        }
        if (-not $printed) { return $null }
        $bitmap.Save((Join-Path $Context.Options.OutDir $Name), [System.Drawing.Imaging.ImageFormat]::Png)
        $pixels = Get-BitmapPixels $bitmap
    } finally {
        $bitmap.Dispose()
    }
    # The page fills the client area; the middle half keeps clear of the frame and caption.
    $pixels.Region = @{ X = [int]($width / 4); Y = [int]($height / 4); Width = [int]($width / 2); Height = [int]($height / 2) }
    return $pixels
}

function Measure-Pixels {
    param($Pixels, [int[]]$Rgb)
    # Only the part of the region that lies inside the picture.
    $r = $Pixels.Region
    $left = [Math]::Max(0, $r.X)
    $top = [Math]::Max(0, $r.Y)
    $right = [Math]::Min($Pixels.Width, $r.X + $r.Width)
    $bottom = [Math]::Min($Pixels.Height, $r.Y + $r.Height)
    if ($right -le $left -or $bottom -le $top) { return 0.0 }
    return Measure-ColourShare $Pixels.Bgra $Pixels.Stride $left $top ($right - $left) ($bottom - $top) $Rgb
}

function Test-IsDesktopWindow {
    param([IntPtr]$Window)
    if ($Window -eq [IntPtr]::Zero) { return $false }
    $root = [TessarySmoke.User32]::GetAncestor($Window, 2)
    $class = Get-ClassName $root
    return ($class -eq 'Progman' -or $class -eq 'WorkerW')
}

# A point of the primary monitor where the desktop itself lies on top, nearest the middle.
function Find-DesktopPoint {
    $primary = Get-PrimaryMonitor
    foreach ($fy in 0.5, 0.4, 0.6, 0.3, 0.7, 0.2, 0.8) {
        foreach ($fx in 0.5, 0.6, 0.4, 0.7, 0.3, 0.8, 0.2) {
            $point = New-Object TessarySmoke.POINT
            $point.X = [int]($primary.Left + ($primary.Right - $primary.Left) * $fx)
            $point.Y = [int]($primary.Top + ($primary.Bottom - $primary.Top) * $fy)
            if (Test-IsDesktopWindow ([TessarySmoke.User32]::WindowFromPoint($point))) { return $point }
        }
    }
    return $null
}

function Step-Start {
    param($Context)
    $report = $Context.Report
    if (-not (Test-SmokeNeeds $report @('start') @() $Context.Blockers.Page)) { return $false }
    New-Item -ItemType Directory -Force -Path $Context.LocalAppData | Out-Null

    $Context.Player = Start-PlayerProcess $Context.Options.Player @('--preview') $Context.LocalAppData
    $appData = $Context.LocalAppData
    $data = Wait-Until $Context.Options.TimeoutSeconds {
        $folder = @(Get-ChildItem -LiteralPath $appData -Directory -Filter 'Tessary-*' -ErrorAction SilentlyContinue) | Select-Object -First 1
        if ($folder -and (Test-Path -LiteralPath (Join-Path $folder.FullName 'player.log'))) { return $folder }
        return $null
    }
    if (-not $data) {
        return (Add-SmokeResult $report $false 'start' ('no data folder appeared in ' + $appData))
    }
    $Context.DataFolder = $data.FullName
    $Context.InstanceName = $data.Name
    $Context.LogPath = Join-Path $data.FullName 'player.log'
    $started = Wait-LogLine $Context 'startup version='
    $control = Wait-Until $Context.Options.TimeoutSeconds {
        $window = [TessarySmoke.User32]::FindWindowW('Tessary.Control', $Context.InstanceName)
        if ($window -ne [IntPtr]::Zero) { return $window }
        return $null
    }
    if ($started -lt 0 -or -not $control) {
        return (Add-SmokeResult $report $false 'start' 'the player did not come up (no start-up line or no controller window)')
    }
    $Context.Control = $control
    # A locked or non-interactive desktop cannot be copied.
    if (-not $Context.Blockers.Screen) { [void](Save-Screen $Context '0-start.png') }
    $line = (Get-LogLines $Context)[$started]
    Add-SmokeFact $report 'player' (Get-LogMessage $line)
    [void](Add-SmokeResult $report $true 'start' ('own data folder ' + $Context.DataFolder))

    $lines = Get-LogLines $Context
    $rejected = @($lines | Where-Object { $_ -match '^\[\d+\] bundled library import rejected: ' })
    $shipped = @(Get-ChildItem -LiteralPath (Join-Path $Context.Options.ReleaseFolder 'wallpapers') -Directory -ErrorAction SilentlyContinue)
    if ($shipped.Count -eq 0) {
        Add-SmokeFact $report 'shipped wallpapers' 'none beside tessary.exe'
        return $true
    }
    if ($rejected.Count -gt 0) {
        [void](Add-SmokeResult $report $false 'shipped wallpapers' (('{0} rejected; first: ' -f $rejected.Count) + (Get-LogMessage $rejected[0])))
    }
    # The smoke wallpaper's steps do not depend on the shipped one: they go on either way.
    $loaded = Wait-LogLine $Context 'loaded \S+ mode=preview '
    $ready = -1
    if ($loaded -ge 0) { $ready = Wait-LogLine $Context 'wallpaper bridge ready$' $loaded }
    if ($ready -lt 0) {
        [void](Add-SmokeResult $report $false 'shipped wallpaper' 'no shipped wallpaper reported readiness in the preview')
    } else {
        $placement = ConvertFrom-PlacementLine (Get-LogLines $Context)[$loaded]
        [void](Add-SmokeResult $report $true 'shipped wallpaper' ($placement.Id + ' ready in the preview'))
    }
    return $true
}

function Step-Preview {
    param($Context)
    $report = $Context.Report
    if (-not (Test-SmokeNeeds $report @('preview') @('start'))) { return $false }
    Write-SmokeWallpaper (Join-Path (Join-Path $Context.DataFolder 'library') $script:SmokeWallpaperId)
    $from = (Get-LogLines $Context).Count
    # The hand-off a second start makes, as a user's double-click on the program would.
    $failure = Invoke-PlayerCommand $Context @('--select-wallpaper', $script:SmokeWallpaperId)
    if ($failure) { return (Add-SmokeResult $report $false 'preview' ('hand-off to the running player: ' + $failure)) }
    $loaded = Wait-LogLine $Context ('loaded ' + [regex]::Escape($script:SmokeWallpaperId) + ' mode=preview ') $from
    $ready = -1
    if ($loaded -ge 0) { $ready = Wait-LogLine $Context 'wallpaper bridge ready$' $loaded }
    if ($ready -lt 0) {
        [void](Save-Screen $Context '1-preview.png')
        return (Add-SmokeResult $report $false 'preview' 'the smoke page did not report readiness (see player.log)')
    }
    $placement = ConvertFrom-PlacementLine (Get-LogLines $Context)[$loaded]
    $Context.HostWindow = [IntPtr]$placement.Host
    if ($Context.Blockers.Screen) {
        return (Add-SmokeResult $report $true 'preview' ('page ready; the screen was not looked at: ' + $Context.Blockers.Screen))
    }
    # The hand-off brought the control window forward; the preview goes in front of it if
    # Windows lets this script say so.
    [void][TessarySmoke.User32]::SetForegroundWindow($Context.HostWindow)
    Start-Sleep -Milliseconds 800
    # On the screen the control window may lie over the preview; the window's own capture
    # shows it whole, where PrintWindow can render the browser's content.
    $share = 0.0
    $screen = Save-Screen $Context '1-preview.png'
    if (Set-WindowRegion $screen $Context.HostWindow) { $share = Measure-Pixels $screen $script:ColourWaiting }
    $window = Save-Window $Context $Context.HostWindow '1-preview-window.png'
    if ($window) { $share = [Math]::Max($share, (Measure-Pixels $window $script:ColourWaiting)) }
    return (Add-SmokeResult $report ($share -ge 0.5) 'preview' ('page ready; ' + (Format-Share $share) + ' of the window shows the page'))
}

function Step-Desktop {
    param($Context)
    $report = $Context.Report
    $later = @('host styles', 'desktop shows the page')
    if (-not (Test-SmokeNeeds $report (@('desktop mounted') + $later) @('preview') $Context.Blockers.Desktop)) { return $false }
    # The mount comes before any minimising: minimising every window would minimise the
    # preview host too, and the mount must work on the window as the user left it.
    $from = (Get-LogLines $Context).Count
    # Command 110 is the control window's button "set as desktop wallpaper".
    [void][TessarySmoke.User32]::PostMessageW($Context.Control, 0x0111, [IntPtr]110, [IntPtr]::Zero)
    $mounted = Wait-LogLine $Context 'desktop mounted host=' $from
    if ($mounted -lt 0) {
        [void](Save-Screen $Context '2-desktop.png')
        $lines = Get-LogLines $Context
        $why = Find-LogLine $lines 'desktop mount unavailable: ' $from
        $detail = 'no "desktop mounted" line'
        if ($why -ge 0) { $detail = Get-LogMessage $lines[$why] }
        [void](Add-SmokeResult $report $false 'desktop mounted' $detail)
        return (Test-SmokeNeeds $report $later @('desktop mounted'))
    }
    $placement = ConvertFrom-PlacementLine (Get-LogLines $Context)[$mounted]
    $hostWindow = [IntPtr]$placement.Host
    $parent = [IntPtr]$placement.Parent
    $Context.HostWindow = $hostWindow
    $Context.Parent = $parent

    $parentClass = Get-ClassName $parent
    $parentStyles = Get-WindowStyles $parent
    $actualParent = [TessarySmoke.User32]::GetParent($hostWindow)
    $progman = [TessarySmoke.User32]::FindWindowW('Progman', [NullString]::Value)
    $underProgman = ($progman -ne [IntPtr]::Zero -and [TessarySmoke.User32]::GetAncestor($parent, 1) -eq $progman)
    $progmanExStyle = [long]0
    if ($progman -ne [IntPtr]::Zero) { $progmanExStyle = (Get-WindowStyles $progman).ExStyle }
    $layout = Get-DesktopLayout $underProgman $progmanExStyle
    Add-SmokeFact $report 'desktop layout' ('{0} (Progman exstyle {1})' -f $layout, (ConvertTo-HexText $progmanExStyle))
    $parentOk = $parentClass -eq 'WorkerW' -and $actualParent -eq $parent -and [TessarySmoke.User32]::IsWindowVisible($parent)
    [void](Add-SmokeResult $report $parentOk 'desktop mounted' ('host {0} in {1} class {2} style {3} exstyle {4}, layout {5}' -f
            (ConvertTo-HexText $hostWindow.ToInt64()), (ConvertTo-HexText $parent.ToInt64()), $parentClass,
            (ConvertTo-HexText $parentStyles.Style), (ConvertTo-HexText $parentStyles.ExStyle), $layout))

    $hostStyles = Get-WindowStyles $hostWindow
    $problems = Test-MountedStyles $hostStyles.Style $hostStyles.ExStyle $layout
    $detail = 'style {0} exstyle {1}' -f (ConvertTo-HexText $hostStyles.Style), (ConvertTo-HexText $hostStyles.ExStyle)
    if ($problems.Count -gt 0) { $detail += ': ' + ($problems -join ', ') }
    [void](Add-SmokeResult $report ($problems.Count -eq 0) 'host styles' $detail)

    # Now the desktop in sight for the screenshots and the click (the host is Explorer's
    # child and stays); put back at the end.
    $Context.Shell = New-Object -ComObject Shell.Application
    $Context.Shell.MinimizeAll()
    $Context.Minimized = $true
    Start-Sleep -Milliseconds 800
    $pixels = Wait-Until 5 {
        $shot = Save-Screen $Context '2-desktop.png'
        if ((Measure-Pixels $shot $script:ColourWaiting) -ge 0.5) { return $shot }
        return $null
    }
    if (-not $pixels) { $pixels = Save-Screen $Context '2-desktop.png' }
    $share = Measure-Pixels $pixels $script:ColourWaiting
    return (Add-SmokeResult $report ($share -ge 0.5) 'desktop shows the page' ((Format-Share $share) + ' of the primary monitor'))
}

function Step-Click {
    param($Context)
    $report = $Context.Report
    if (-not (Test-SmokeNeeds $report @('click') @('desktop shows the page'))) { return $false }
    $point = Find-DesktopPoint
    if (-not $point) {
        return (Add-SmokeResult $report $false 'click' 'no point of the primary monitor shows the desktop')
    }
    $cursor = New-Object TessarySmoke.POINT
    if ([TessarySmoke.User32]::GetCursorPos([ref]$cursor)) { $Context.Cursor = $cursor }
    [void][TessarySmoke.User32]::SetCursorPos($point.X, $point.Y)
    Start-Sleep -Milliseconds 150
    # SM_SWAPBUTTON: a left-handed user's primary button is the physical right one.
    $swapped = [TessarySmoke.User32]::GetSystemMetrics(23) -ne 0
    $button = Get-PrimaryButtonEvents $swapped
    [TessarySmoke.User32]::mouse_event($button[0], 0, 0, 0, [UIntPtr]::Zero)
    Start-Sleep -Milliseconds 60
    [TessarySmoke.User32]::mouse_event($button[1], 0, 0, 0, [UIntPtr]::Zero)
    $pixels = Wait-Until 5 {
        $shot = Save-Screen $Context '3-click.png'
        if ((Measure-Pixels $shot $script:ColourClicked) -ge 0.5) { return $shot }
        return $null
    }
    if (-not $pixels) { $pixels = Save-Screen $Context '3-click.png' }
    $share = Measure-Pixels $pixels $script:ColourClicked
    return (Add-SmokeResult $report ($share -ge 0.5) 'click' ('{0} button at ({1}, {2}): {3} of the primary monitor shows the clicked colour' -f
            $(if ($swapped) { 'primary (swapped: physical right)' } else { 'primary' }), $point.X, $point.Y, (Format-Share $share)))
}

function Step-Pause {
    param($Context)
    $report = $Context.Report
    if (-not (Test-SmokeNeeds $report @('pause') @('desktop mounted') $Context.Blockers.Screen)) { return $false }
    $primary = Get-PrimaryMonitor
    $from = (Get-LogLines $Context).Count
    $form = New-Object System.Windows.Forms.Form
    $Context.Cover = $form
    $form.Text = 'Tessary smoke check: cover'
    $form.BackColor = [System.Drawing.Color]::FromArgb(48, 48, 48)
    $form.StartPosition = [System.Windows.Forms.FormStartPosition]::Manual
    $form.Location = New-Object System.Drawing.Point($primary.Left, $primary.Top)
    $form.WindowState = [System.Windows.Forms.FormWindowState]::Maximized
    $form.Show()
    $form.Activate()
    $pump = { [System.Windows.Forms.Application]::DoEvents() }
    & $pump
    if (-not [TessarySmoke.User32]::SetForegroundWindow($form.Handle)) {
        # Windows lets a process take the foreground once the Alt key was pressed.
        [TessarySmoke.User32]::keybd_event(0x12, 0, 0, [UIntPtr]::Zero)
        [TessarySmoke.User32]::keybd_event(0x12, 0, 2, [UIntPtr]::Zero)
        [void][TessarySmoke.User32]::SetForegroundWindow($form.Handle)
    }
    & $pump
    $foreground = [TessarySmoke.User32]::GetForegroundWindow()
    if ($foreground -ne $form.Handle) {
        [void](Save-Screen $Context '4-covered.png')
        return (Add-SmokeResult $report $false 'pause' ('the maximised window did not get the foreground (it went to a ' + (Get-ClassName $foreground) + ')'))
    }
    $paused = Wait-LogLine $Context 'state paused=true ' $from $pump
    [void](Save-Screen $Context '4-covered.png')
    $form.Close()
    $form.Dispose()
    $Context.Cover = $null
    & $pump
    if ($paused -lt 0) {
        return (Add-SmokeResult $report $false 'pause' 'no "state paused=true" while a maximised window covered the screen')
    }
    $resumed = Wait-LogLine $Context 'state paused=false ' $paused
    return (Add-SmokeResult $report ($resumed -ge 0) 'pause' ('paused under the maximised window; ' +
            $(if ($resumed -ge 0) { 'playing again once it closed' } else { 'no "state paused=false" after it closed' })))
}

function Step-Exit {
    param($Context)
    $report = $Context.Report
    if (-not (Test-SmokeNeeds $report @('exit', 'desktop after exit') @('start'))) { return $false }
    $failure = Invoke-PlayerCommand $Context @('--exit')
    if ($failure) { return (Add-SmokeResult $report $false 'exit' ('--exit: ' + $failure)) }
    if (-not $Context.Player.WaitForExit($Context.Options.TimeoutSeconds * 1000)) {
        return (Add-SmokeResult $report $false 'exit' ('the player still runs {0} s after --exit' -f $Context.Options.TimeoutSeconds))
    }
    $clean = Find-LogLine (Get-LogLines $Context) 'clean shutdown$'
    [void](Add-SmokeResult $report ($clean -ge 0 -and $Context.Player.ExitCode -eq 0) 'exit' ('exit code {0}, {1}' -f
            $Context.Player.ExitCode, $(if ($clean -ge 0) { '"clean shutdown" logged' } else { 'no "clean shutdown" line' })))
    # Only a page that reached the desktop can be left behind on it.
    if (-not (Test-SmokeNeeds $report @('desktop after exit') @('desktop shows the page'))) { return $true }
    Start-Sleep -Seconds 2
    $pixels = Save-Screen $Context '5-exited.png'
    $left = [Math]::Max((Measure-Pixels $pixels $script:ColourWaiting), (Measure-Pixels $pixels $script:ColourClicked))
    return (Add-SmokeResult $report ($left -lt 0.5) 'desktop after exit' ((Format-Share $left) + ' of the primary monitor still shows the page'))
}

# Explorer repaints its desktop: the user's background comes back whatever the player left.
function Update-Desktop {
    param($Context)
    $progman = [TessarySmoke.User32]::FindWindowW('Progman', [NullString]::Value)
    foreach ($window in @($Context.Parent, $progman)) {
        if ($window -and [IntPtr]$window -ne [IntPtr]::Zero) {
            [void][TessarySmoke.User32]::RedrawWindow([IntPtr]$window, [IntPtr]::Zero, [IntPtr]::Zero, 0x0185)
        }
    }
}

# One clean-up action: its failure is noted and the next one still runs.
function Invoke-Guarded {
    param($Context, [string]$What, [scriptblock]$Action)
    try { & $Action } catch { Add-SmokeFact $Context.Report 'note' ('clean-up: ' + $What + ': ' + $_.Exception.Message) }
}

function Restore-SmokeChanges {
    param($Context)
    Invoke-Guarded $Context 'closing the cover window' {
        if ($Context.Cover) { $Context.Cover.Close(); $Context.Cover.Dispose(); $Context.Cover = $null }
    }
    Invoke-Guarded $Context 'putting the cursor back' {
        if ($Context.Cursor) { [void][TessarySmoke.User32]::SetCursorPos($Context.Cursor.X, $Context.Cursor.Y) }
    }
    Invoke-Guarded $Context 'asking the player to exit' {
        if ($Context.Player -and -not $Context.Player.HasExited) {
            [void](Invoke-PlayerCommand $Context @('--exit'))
            [void]$Context.Player.WaitForExit(10000)
        }
    }
    Invoke-Guarded $Context 'ending the player' {
        if ($Context.Player -and -not $Context.Player.HasExited) {
            # Only the process this script started.
            $Context.Player.Kill()
            [void]$Context.Player.WaitForExit(5000)
            Add-SmokeFact $Context.Report 'note' 'the player did not exit and was ended'
        }
    }
    Invoke-Guarded $Context 'restoring the minimised windows' {
        if ($Context.Minimized) { $Context.Shell.UndoMinimizeALL(); $Context.Minimized = $false }
    }
    Invoke-Guarded $Context 'repainting the desktop' { Update-Desktop $Context }
    Invoke-Guarded $Context 'copying the log' {
        if ($Context.LogPath -and (Test-Path -LiteralPath $Context.LogPath)) {
            $copy = Join-Path $Context.Options.OutDir 'player.log'
            [System.IO.File]::WriteAllLines($copy, (Read-SharedLines $Context.LogPath), (New-Object System.Text.UTF8Encoding $false))
        }
    }
    if ($KeepData) {
        Add-SmokeFact $Context.Report 'data kept' $Context.Root
        return
    }
    Invoke-Guarded $Context 'removing the data folder' {
        # The browser's processes let go of the profile a moment after the player ends.
        $root = $Context.Root
        $removed = Wait-Until 15 {
            Remove-Item -LiteralPath $root -Recurse -Force -ErrorAction SilentlyContinue
            return (-not (Test-Path -LiteralPath $root))
        }
        if (-not $removed) { Add-SmokeFact $Context.Report 'note' ('could not remove ' + $root) }
    }
}

function Invoke-Smoke {
    param($Options)
    $refusal = Get-HostRefusal ([IntPtr]::Size) ([Environment]::Is64BitOperatingSystem)
    if ($refusal) {
        Write-Host ('The smoke check does not run here: ' + $refusal)
        return 2
    }
    Initialize-SmokeInterop
    $running = Find-RunningPlayer
    if ($running.Count -gt 0) {
        Write-Host ('A Tessary player is running in this session (' + ($running -join ', ') +
            '). Exit it from its tray menu, then run this check again.')
        return 2
    }
    New-Item -ItemType Directory -Force -Path $Options.OutDir | Out-Null
    $report = New-SmokeReport ([DateTime]::UtcNow)
    $preflight = Get-SmokePreflight
    Add-PreflightFacts $report $preflight
    Add-SmokeFact $report 'release folder' $Options.ReleaseFolder

    $root = Join-Path ([System.IO.Path]::GetTempPath()) ('tessary-smoke-data-' + [Guid]::NewGuid().ToString('N').Substring(0, 8))
    $context = @{
        Options = $Options; Report = $report; Root = $root; LocalAppData = (Join-Path $root 'LocalAppData')
        Blockers = (Get-SmokeBlockers $preflight)
        Player = $null; DataFolder = ''; InstanceName = ''; LogPath = ''; Control = [IntPtr]::Zero
        HostWindow = [IntPtr]::Zero; Parent = $null; Shell = $null; Minimized = $false; Cursor = $null; Cover = $null
    }
    try {
        # Every step runs; one that builds on a check that did not pass, or that a failing
        # step never reached, reports SKIP.
        foreach ($step in @('Step-Start', 'Step-Preview', 'Step-Desktop', 'Step-Click', 'Step-Pause', 'Step-Exit')) {
            try {
                [void](& $step $context)
            } catch {
                [void](Add-SmokeResult $report $false 'smoke script' ('{0}: {1} at line {2}' -f $step, $_.Exception.Message, $_.InvocationInfo.ScriptLineNumber))
            }
        }
    } finally {
        Restore-SmokeChanges $context
        $path = Join-Path $Options.OutDir 'report.txt'
        Write-SmokeReport $report $path
        Write-Host ('Report: ' + $path)
    }
    return (Get-SmokeExitCode $report)
}

# Dot-sourced (by the checks in tests/smoke), the script only defines its functions.
if ($MyInvocation.InvocationName -ne '.') {
    $options = Resolve-SmokeOptions -ReleaseFolder $ReleaseFolder -OutDir $OutDir -TimeoutSeconds $TimeoutSeconds `
        -CurrentFolder (Get-Location).ProviderPath -ScriptFolder $PSScriptRoot `
        -TempFolder ([System.IO.Path]::GetTempPath()) -Now (Get-Date)
    exit (Invoke-Smoke $options)
}
