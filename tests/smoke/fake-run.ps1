# The smoke script's steps in order, on Linux, against the made-up player and Windows in
# fake/: this checks the PowerShell of the whole run (order, waits, report, clean-up, the
# PASS, FAIL and SKIP paths), never how Windows behaves. Usage: pwsh fake-run.ps1 SCRIPT.
# Exits non-zero on a failure.
param([Parameter(Mandatory = $true)][string]$Script)

$ErrorActionPreference = 'Stop'
$work = Join-Path ([System.IO.Path]::GetTempPath()) ('smoke-fake-' + [Guid]::NewGuid().ToString('N'))
$release = Join-Path $work 'Tessary'
New-Item -ItemType Directory -Path (Join-Path $release 'wallpapers/aurora-drift') | Out-Null
Copy-Item -LiteralPath (Join-Path $PSScriptRoot 'fake/tessary.sh') -Destination (Join-Path $release 'tessary.exe')
& chmod +x (Join-Path $release 'tessary.exe')
$env:SMOKE_FAKE_STATE = $work
Add-Type -TypeDefinition (Get-Content -Raw -LiteralPath (Join-Path $PSScriptRoot 'fake/windows.cs')) -ReferencedAssemblies @(
    'System.Runtime', 'System.Runtime.Extensions', 'System.IO.FileSystem', 'System.Drawing.Primitives')

. $Script
function Initialize-SmokeInterop { }
# The machine as each run makes it up: the input desktop the user's, or a locked one.
$script:preflight = $null
function New-Preflight {
    param([string]$InputDesktop)
    return @{
        Build = '26100.1'; Description = 'Windows 11 24H2 (made up)'; Session = 'console'
        Progman = $true; IconView = $true; InputDesktop = $InputDesktop
        Resolution = 'primary 40x20; 1 monitor(s) (only the primary is checked)'
        DpiAwareness = 'per-monitor v2'; Scale = '150% (144 dpi)'; Runtime = '131.0.2903.70'
    }
}
function Get-SmokePreflight { return $script:preflight }
function Get-PrimaryMonitor { $r = New-Object TessarySmoke.RECT; $r.Right = 40; $r.Bottom = 20; return $r }
function New-Picture {
    param([int[]]$Rgb)
    $bytes = New-Object byte[] (40 * 20 * 4)
    for ($i = 0; $i -lt $bytes.Length; $i += 4) { $bytes[$i] = $Rgb[2]; $bytes[$i + 1] = $Rgb[1]; $bytes[$i + 2] = $Rgb[0] }
    return @{ Bgra = $bytes; Stride = 160; Width = 40; Height = 20; ScreenX = 0; ScreenY = 0; Region = @{ X = 0; Y = 0; Width = 40; Height = 20 } }
}
# The screen as the made-up player leaves it: the page's colour, the clicked one, or gone.
function Save-Screen {
    param($Context, [string]$Name)
    Set-Content -LiteralPath (Join-Path $Context.Options.OutDir $Name) -Value 'picture'
    if ($Context.Player.HasExited) { return New-Picture @(0, 0, 0) }
    if ([TessarySmoke.User32]::Clicked) { return New-Picture $script:ColourClicked }
    return New-Picture $script:ColourWaiting
}
function Save-Window { param($Context, $Window, $Name) return New-Picture $script:ColourWaiting }
$script:minimized = 0
# What the script had posted to the player each time it minimised every window.
$script:postedAtMinimising = @()
$shell = New-Object psobject |
    Add-Member -PassThru ScriptMethod MinimizeAll { $script:minimized++; $script:postedAtMinimising += [TessarySmoke.User32]::Posted } |
    Add-Member -PassThru ScriptMethod UndoMinimizeALL { $script:minimized-- }
function New-Object {
    param([string]$TypeName, [object[]]$ArgumentList, [string]$ComObject)
    if ($ComObject) { return $shell }
    if ($ArgumentList) { return Microsoft.PowerShell.Utility\New-Object -TypeName $TypeName -ArgumentList $ArgumentList }
    return Microsoft.PowerShell.Utility\New-Object -TypeName $TypeName
}

$failures = @()
$dataBefore = @(Get-ChildItem -LiteralPath ([System.IO.Path]::GetTempPath()) -Filter 'tessary-smoke-data-*').Count
# One run: returns its exit code and report lines; checks what every run must leave.
function Invoke-FakeRun {
    param([string]$Name)
    [TessarySmoke.User32]::Reset()
    $script:postedAtMinimising = @()
    $out = Join-Path $work $Name
    $code = Invoke-Smoke (Resolve-SmokeOptions $release $out 10 $work $work $work (Get-Date)) 6>$null
    $report = @(Get-Content -LiteralPath (Join-Path $out 'report.txt'))
    if ($script:minimized -ne 0 -or ([TessarySmoke.User32]::CursorX -ne -1 -and [TessarySmoke.User32]::CursorX -ne 7)) {
        $script:failures += "${Name}: the windows or the cursor were not put back"
    }
    if (-not (Test-Path -LiteralPath (Join-Path $out 'player.log'))) { $script:failures += "${Name}: no copy of player.log" }
    return @{ Code = $code; Report = $report; Out = $out }
}
# "CHECK" for each line of the verdict.
function Get-Lines {
    param($Report, [string]$Verdict)
    return (@($Report | Where-Object { $_ -like "$Verdict *" } | ForEach-Object { ($_ -replace "^$Verdict ", '') -replace ':.*$', '' }) -join '|')
}
try {
    # Everything there, a left-handed user: every check passes, in order.
    $script:preflight = New-Preflight 'Default'
    [TessarySmoke.User32]::Swapped = 1
    $run = Invoke-FakeRun 'full'
    [TessarySmoke.User32]::Swapped = 0
    $checks = 'start', 'shipped wallpaper', 'preview', 'desktop mounted', 'host styles', 'desktop shows the page',
        'click', 'pause', 'exit', 'desktop after exit'
    if ($run.Code -ne 0 -or (Get-Lines $run.Report 'PASS') -ne ($checks -join '|') -or $run.Report[-1] -ne 'result: PASS (10 passed, 0 failed, 0 skipped)') {
        $failures += "the run did not pass every step in order (exit code $($run.Code)):`n" + ($run.Report -join "`n")
    }
    $facts = 'windows build: 26100.1', 'explorer desktop: Progman present, icon view present', 'input desktop: Default',
        'dpi awareness: per-monitor v2', 'primary monitor scale: 150% (144 dpi)', 'webview2 runtime: 131.0.2903.70',
        'desktop layout: 24H2 (Progman exstyle 0x200080)'
    foreach ($fact in $facts) { if ($run.Report -notcontains $fact) { $failures += "the report lacks '$fact'" } }
    $firstVerdict = @(0..($run.Report.Count - 1) | Where-Object { $run.Report[$_] -match '^(PASS|FAIL|SKIP) ' })[0]
    if ([array]::IndexOf($run.Report, 'webview2 runtime: 131.0.2903.70') -gt $firstVerdict) {
        $failures += 'the pre-flight facts do not open the report'
    }
    if ($script:postedAtMinimising.Count -eq 0 -or $script:postedAtMinimising[0] -notmatch '\b110\b') { $failures += 'the windows were minimised before the mount was asked for' }
    foreach ($file in '0-start.png', '1-preview.png', '2-desktop.png', '3-click.png', '4-covered.png', '5-exited.png') {
        if (-not (Test-Path -LiteralPath (Join-Path $run.Out $file))) { $failures += "no $file in the report folder" }
    }

    # A locked desktop: what needs the screen is SKIP with the reason, no screenshot is
    # taken, and the rest still passes.
    $script:preflight = New-Preflight 'Winlogon'
    $run = Invoke-FakeRun 'locked'
    $skipped = 'desktop mounted', 'host styles', 'desktop shows the page', 'click', 'pause', 'desktop after exit'
    $locked = 'the input desktop is not this session''s interactive one (locked, a secure desktop or a service session)'
    if ($run.Code -ne 0 -or (Get-Lines $run.Report 'PASS') -ne 'start|shipped wallpaper|preview|exit' -or
        (Get-Lines $run.Report 'SKIP') -ne ($skipped -join '|') -or
        $run.Report -notcontains "SKIP desktop mounted: $locked" -or $run.Report -notcontains "SKIP pause: $locked" -or
        $run.Report -notcontains "PASS preview: page ready; the screen was not looked at: $locked" -or
        $run.Report -notcontains "SKIP click: needs 'desktop shows the page', which was skipped" -or
        $run.Report[-1] -ne 'result: PASS (4 passed, 0 failed, 6 skipped)' -or
        @(Get-ChildItem -LiteralPath $run.Out -Filter '*.png').Count -ne 0) {
        $failures += "on a locked desktop the screen's checks are not SKIP (exit code $($run.Code)):`n" + ($run.Report -join "`n")
    }

    # The player finds no WorkerW: the mount fails and what builds on it is SKIP.
    $script:preflight = New-Preflight 'Default'
    $env:SMOKE_FAKE_MOUNT = 'refuse'
    try { $run = Invoke-FakeRun 'mount-refused' } finally { Remove-Item Env:SMOKE_FAKE_MOUNT }
    if ($run.Code -ne 1 -or (Get-Lines $run.Report 'FAIL') -ne 'desktop mounted' -or
        $run.Report -notcontains 'FAIL desktop mounted: desktop mount unavailable: No safe wallpaper WorkerW; use preview and retry after Explorer restarts' -or
        $run.Report -notcontains "SKIP host styles: needs 'desktop mounted', which failed" -or
        $run.Report -notcontains "SKIP pause: needs 'desktop mounted', which failed" -or
        (Get-Lines $run.Report 'PASS') -ne 'start|shipped wallpaper|preview|exit' -or
        $run.Report[-1] -ne 'result: FAIL (4 passed, 1 failed, 5 skipped)') {
        $failures += "a refused mount is not one FAIL with the rest SKIP (exit code $($run.Code)):`n" + ($run.Report -join "`n")
    }
    if (@(Get-ChildItem -LiteralPath ([System.IO.Path]::GetTempPath()) -Filter 'tessary-smoke-data-*').Count -ne $dataBefore) {
        $failures += 'the temporary data folder was left behind'
    }
} finally {
    Remove-Item -LiteralPath $work -Recurse -Force
}
if ($failures.Count -gt 0) { $failures | ForEach-Object { "FAIL $_" }; exit 1 }
'ok: the steps run in order against a made-up player, PASS, FAIL and SKIP as the machine and the player make them, and everything is put back'
