# The smoke script's steps in order, on Linux, against the made-up player and Windows in
# fake/: this checks the PowerShell of the whole run (order, waits, report, clean-up),
# never how Windows behaves. Usage: pwsh fake-run.ps1 SCRIPT. Exits non-zero on a failure.
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
function Get-WindowsFacts { return @{ Build = '26100.1'; Description = 'Windows 11 24H2 (made up)' } }
function Get-WebView2Version { return '131.0.2903.70' }
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
$shell = New-Object psobject |
    Add-Member -PassThru ScriptMethod MinimizeAll { $script:minimized++ } |
    Add-Member -PassThru ScriptMethod UndoMinimizeALL { $script:minimized-- }
function New-Object {
    param([string]$TypeName, [object[]]$ArgumentList, [string]$ComObject)
    if ($ComObject) { return $shell }
    if ($ArgumentList) { return Microsoft.PowerShell.Utility\New-Object -TypeName $TypeName -ArgumentList $ArgumentList }
    return Microsoft.PowerShell.Utility\New-Object -TypeName $TypeName
}

$failures = @()
$dataBefore = @(Get-ChildItem -LiteralPath ([System.IO.Path]::GetTempPath()) -Filter 'tessary-smoke-data-*').Count
try {
    $out = Join-Path $work 'out'
    $code = Invoke-Smoke (Resolve-SmokeOptions $release $out 10 $work $work $work (Get-Date)) 6>$null
    $report = @(Get-Content -LiteralPath (Join-Path $out 'report.txt'))
    $checks = 'start', 'shipped wallpaper', 'preview', 'desktop mounted', 'host styles', 'desktop shows the page',
        'click', 'pause', 'exit', 'desktop after exit'
    $passes = @($report | Where-Object { $_ -like 'PASS *' } | ForEach-Object { ($_ -replace '^PASS ', '') -replace ':.*$', '' })
    if ($code -ne 0 -or ($passes -join '|') -ne ($checks -join '|') -or $report[-1] -ne 'result: PASS (10 passed, 0 failed)') {
        $failures += "the run did not pass every step in order (exit code $code):`n" + ($report -join "`n")
    }
    if (-not ($report -contains 'windows build: 26100.1' -and $report -contains 'desktop layout: 24H2 (Progman exstyle 0x200080)')) {
        $failures += 'the report lacks the Windows build or the layout'
    }
    foreach ($file in '0-start.png', '1-preview.png', '2-desktop.png', '3-click.png', '4-covered.png', '5-exited.png', 'player.log') {
        if (-not (Test-Path -LiteralPath (Join-Path $out $file))) { $failures += "no $file in the report folder" }
    }
    if ($script:minimized -ne 0 -or [TessarySmoke.User32]::CursorX -ne 7) { $failures += 'the windows or the cursor were not put back' }
    if (@(Get-ChildItem -LiteralPath ([System.IO.Path]::GetTempPath()) -Filter 'tessary-smoke-data-*').Count -ne $dataBefore) {
        $failures += 'the temporary data folder was left behind'
    }
} finally {
    Remove-Item -LiteralPath $work -Recurse -Force
}
if ($failures.Count -gt 0) { $failures | ForEach-Object { "FAIL $_" }; exit 1 }
'ok: the steps run in order against a made-up player, and everything is put back'
