# Checks scripts/windows-smoke.ps1 where no Windows desktop exists: PowerShell's own parser,
# nothing that Windows PowerShell 5.1 cannot read, and its platform-free parts run for real.
# Usage: pwsh check-script.ps1 SCRIPT [WALLPKG]. Prints the failures and exits non-zero on any.
param([Parameter(Mandatory = $true)][string]$Script, [string]$Wallpkg = '')

$ErrorActionPreference = 'Stop'
$failures = New-Object System.Collections.ArrayList
function Expect {
    param([bool]$Condition, [string]$What)
    if (-not $Condition) { [void]$failures.Add($What) }
}

# The parser, and the syntax Windows PowerShell 5.1 lacks (7's ??, ?., &&, || and ?:).
$tokens = $null
$errors = $null
[void][System.Management.Automation.Language.Parser]::ParseFile($Script, [ref]$tokens, [ref]$errors)
foreach ($e in $errors) { [void]$failures.Add("parse: line $($e.Extent.StartLineNumber): $($e.Message)") }
$newer = 'QuestionQuestion', 'QuestionQuestionEquals', 'QuestionDot', 'QuestionLBracket', 'AndAnd', 'OrOr', 'QuestionMark'
foreach ($t in $tokens) {
    if ($newer -contains [string]$t.Kind) { [void]$failures.Add("line $($t.Extent.StartLineNumber): '$($t.Text)' needs PowerShell 7") }
}
# Without a byte order mark Windows PowerShell reads the file in the system's code page.
$bytes = [System.IO.File]::ReadAllBytes($Script)
Expect (-not ($bytes | Where-Object { $_ -gt 127 } | Select-Object -First 1)) 'the script is not plain ASCII'
if ($failures.Count -gt 0) { $failures | ForEach-Object { "FAIL $_" }; exit 1 }

. $Script
$work = Join-Path ([System.IO.Path]::GetTempPath()) ('smoke-check-' + [Guid]::NewGuid().ToString('N'))
New-Item -ItemType Directory -Path $work | Out-Null
try {
    # Arguments: the release folder is found, or refused with a message that says what to do.
    $release = Join-Path $work 'Tessary'
    New-Item -ItemType Directory -Path $release | Out-Null
    $now = [datetime]'2026-05-04T03:02:01'
    $refused = ''
    try { Resolve-SmokeOptions '' '' 30 $work $work $work $now | Out-Null } catch { $refused = $_.Exception.Message }
    Expect ($refused -like 'no tessary.exe in *-ReleaseFolder') "a folder without tessary.exe is refused: '$refused'"
    Set-Content -LiteralPath (Join-Path $release 'tessary.exe') -Value 'x'
    $options = Resolve-SmokeOptions '' '' 30 $work $release $work $now
    Expect ($options.Player -eq (Join-Path $release 'tessary.exe')) 'the script folder is the release folder when tessary.exe lies beside it'
    Expect ($options.OutDir -eq (Join-Path $work 'tessary-smoke-20260504-030201')) "the default report folder: $($options.OutDir)"
    # Thai uses the Buddhist calendar (year 2569) and Finnish writes times with dots.
    $culture = [Globalization.CultureInfo]::CurrentCulture
    try {
        [Globalization.CultureInfo]::CurrentCulture = 'th-TH'
        $thai = (Resolve-SmokeOptions '' '' 30 $work $release $work $now).OutDir
        [Globalization.CultureInfo]::CurrentCulture = 'fi-FI'
        $finnish = Format-SmokeReport (New-SmokeReport ([datetime]::SpecifyKind($now, [DateTimeKind]::Utc)))
    } finally {
        [Globalization.CultureInfo]::CurrentCulture = $culture
    }
    Expect ($thai -eq (Join-Path $work 'tessary-smoke-20260504-030201')) "the report folder's time is invariant: $thai"
    Expect ($finnish[1] -eq 'started: 2026-05-04T03:02:01Z') "the report's time is invariant: $($finnish[1])"
    Push-Location $work
    try { $options = Resolve-SmokeOptions $release 'out' 45 $work $work $work $now } finally { Pop-Location }
    Expect ($options.ReleaseFolder -eq $release -and $options.OutDir -eq (Join-Path $work 'out') -and $options.TimeoutSeconds -eq 45) "-ReleaseFolder, -OutDir (made absolute: $($options.OutDir)) and -TimeoutSeconds are taken"
    $refused = ''
    try { Resolve-SmokeOptions $release '' 2 $work $work $work $now | Out-Null } catch { $refused = $_.Exception.Message }
    Expect ($refused -like '-TimeoutSeconds must be between 5 and 600*') 'a timeout of 2 s is refused'
    Expect ((ConvertTo-ArgumentText 'a b') -eq '"a b"' -and (ConvertTo-ArgumentText '--exit') -eq '--exit') 'arguments with spaces are quoted'

    # The report: facts, one line per check, the verdict; nothing checked is no pass.
    $report = New-SmokeReport ([datetime]::SpecifyKind($now, [DateTimeKind]::Utc))
    Expect ((Get-SmokeExitCode $report) -eq 1) 'an empty report does not pass'
    Add-SmokeFact $report 'windows build' '26100.2605'
    [void](Add-SmokeResult $report $true 'preview' 'page ready' 6>$null)
    Expect ((Get-SmokeExitCode $report) -eq 0) 'a report of passes passes'
    [void](Add-SmokeResult $report $false 'click' 'no change' 6>$null)
    # What builds on a failed, a skipped or an unreached check is SKIP, naming it; a blocker
    # gives its own reason; checks whose needs passed run.
    Expect (-not (Test-SmokeNeeds $report @('pause', 'exit') @('preview', 'click') 6>$null)) 'a failed need stops the checks'
    Expect (-not (Test-SmokeNeeds $report @('desktop') @() 'no Explorer desktop' 6>$null)) 'a blocker stops the checks'
    Expect (-not (Test-SmokeNeeds $report @('later') @('desktop') 6>$null)) 'a skipped need stops the checks'
    Expect (-not (Test-SmokeNeeds $report @('never') @('unreached') 6>$null)) 'an unreached need stops the checks'
    Expect (Test-SmokeNeeds $report @('more') @('preview') 6>$null) 'a passed need lets the checks run'
    Expect ((Get-SmokeVerdict $report 'pause') -eq 'SKIP' -and (Get-SmokeVerdict $report 'more') -eq '') 'the verdicts as recorded'
    $path = Join-Path $work 'report.txt'
    Write-SmokeReport $report $path
    $expected = "Tessary smoke report`r`nstarted: 2026-05-04T03:02:01Z`r`nwindows build: 26100.2605`r`n" +
        "PASS preview: page ready`r`nFAIL click: no change`r`n" +
        "SKIP pause: needs 'click', which failed`r`nSKIP exit: needs 'click', which failed`r`n" +
        "SKIP desktop: no Explorer desktop`r`nSKIP later: needs 'desktop', which was skipped`r`n" +
        "SKIP never: needs 'unreached', which did not run`r`nresult: FAIL (1 passed, 1 failed, 5 skipped)`r`n"
    Expect ([System.IO.File]::ReadAllText($path) -ceq $expected) ("the report file reads:`n" + [System.IO.File]::ReadAllText($path))
    Expect ([System.IO.File]::ReadAllBytes($path)[0] -eq [byte][char]'T') 'the report has no byte order mark'
    Expect ((Get-SmokeExitCode $report) -eq 1) 'one failure fails the run'
    $skips = New-SmokeReport $now
    [void](Test-SmokeNeeds $skips @('start') @() 'no runtime' 6>$null)
    Expect ((Get-SmokeExitCode $skips) -eq 1 -and (Format-SmokeReport $skips)[-1] -eq 'result: SKIP (0 passed, 0 failed, 1 skipped)') 'a run of skips checked nothing and does not pass'

    # The machine's limits, from the pre-flight facts.
    $machine = @{ Progman = $true; IconView = $true; InputDesktop = 'Default'; Runtime = '131.0.2903.70' }
    $blockers = Get-SmokeBlockers $machine
    Expect (-not $blockers.Screen -and -not $blockers.Desktop -and -not $blockers.Page) 'a full desktop blocks nothing'
    $machine.InputDesktop = 'Winlogon'
    $machine.Runtime = ''
    $blockers = Get-SmokeBlockers $machine
    Expect ($blockers.Screen -like 'the input desktop is not*' -and $blockers.Desktop -eq $blockers.Screen -and $blockers.Page -like '*Runtime (x64) is not installed') 'a locked desktop and a missing runtime block'
    $machine.InputDesktop = 'Default'
    $machine.IconView = $false
    Expect ((Get-SmokeBlockers $machine).Desktop -like '*no icon view*' -and -not (Get-SmokeBlockers $machine).Screen) 'a desktop without icons blocks the desktop only'
    $machine.Progman = $false
    Expect ((Get-SmokeBlockers $machine).Desktop -eq 'no Explorer desktop (Progman) in this session') 'no Progman blocks the desktop'

    # 64-bit PowerShell only; the primary button; this session's players.
    Expect ((Get-HostRefusal 8 $true) -eq '' -and (Get-HostRefusal 4 $true) -like '*32-bit PowerShell*' -and
        (Get-HostRefusal 4 $false) -like '*32-bit Windows*') '32-bit PowerShell is refused'
    Expect (((Get-PrimaryButtonEvents $false) -join ',') -eq '2,4' -and ((Get-PrimaryButtonEvents $true) -join ',') -eq '8,16') 'the primary button is the right one when swapped'
    $processes = @(@{ Id = 1; SessionId = 0 }, @{ Id = 2; SessionId = 3 }, @{ Id = 3; SessionId = 3 })
    Expect (((Select-SessionProcesses $processes 3) | ForEach-Object { $_.Id }) -join ',' -eq '2,3' -and
        (Select-SessionProcesses $processes 5).Count -eq 0) "only this session's players count"

    # The log as the player writes it, with a half-written last line.
    $log = Join-Path $work 'player.log'
    [System.IO.File]::WriteAllText($log, "[1] startup version=0.6.5`n[2] loaded tessary-smoke mode=preview host=0x1a2b parent=0x0`n" +
        "[3] wallpaper bridge ready`n[4] desktop mounted host=0x1a2b parent=0xff01`n[5] state paus")
    $lines = Read-SharedLines $log
    Expect ($lines.Count -eq 4) "only whole lines are read: $($lines.Count)"
    Expect ((Find-LogLine $lines 'wallpaper bridge ready$' 1) -eq 2 -and (Find-LogLine $lines 'startup version=' 1) -eq -1) 'log lines are found from a line on'
    $loaded = ConvertFrom-PlacementLine $lines[1]
    $mounted = ConvertFrom-PlacementLine $lines[3]
    Expect ($loaded.Id -eq 'tessary-smoke' -and $loaded.Mode -eq 'preview' -and $loaded.Host -eq 0x1a2b -and $loaded.Parent -eq 0) 'the "loaded" line is read'
    Expect ($mounted.Mode -eq 'desktop' -and $mounted.Parent -eq 0xff01 -and $null -eq (ConvertFrom-PlacementLine $lines[0])) 'the "desktop mounted" line is read'

    # The rules the desktop checks apply.
    Expect ((Get-DesktopLayout $false 0x00200000) -eq 'classic' -and (Get-DesktopLayout $true 0x80) -eq 'newer' -and
        (Get-DesktopLayout $true 0x00200080) -eq '24H2') 'the three desktop layouts'
    $child = [long]0x56000000
    Expect ((Test-MountedStyles $child 0x08000080 'classic').Count -eq 0) 'a mounted host with the required styles passes'
    $problems = Test-MountedStyles ([long]0x16CF0000) 0x00040000 '24H2'
    Expect ($problems.Count -eq 6) ("a top-level host on 24H2 shows each fault: " + ($problems -join ', '))
    Expect ((Test-MountedStyles $child 0x08080080 '24H2').Count -eq 0) 'a layered host passes on 24H2'

    # Colour shares: a 20 x 10 BGRA picture, its left 15 columns in the waiting colour.
    $pixels = New-Object byte[] (20 * 10 * 4)
    for ($y = 0; $y -lt 10; $y++) {
        for ($x = 0; $x -lt 15; $x++) {
            $i = ($y * 20 + $x) * 4
            $pixels[$i] = 126 + 10; $pixels[$i + 1] = 140 - 10; $pixels[$i + 2] = 18; $pixels[$i + 3] = 255
        }
    }
    Expect ((Measure-ColourShare $pixels 80 0 0 20 10 $script:ColourWaiting 24 1) -eq 0.75) 'three quarters of the picture is the waiting colour'
    Expect ((Measure-ColourShare $pixels 80 15 0 5 10 $script:ColourWaiting 24 1) -eq 0) 'the rest is not'
    Expect ((Measure-ColourShare $pixels 80 0 0 20 10 $script:ColourClicked 24 1) -eq 0) 'nor the clicked colour'

    # The smoke wallpaper is one the player accepts.
    $wallpaper = Join-Path $work $script:SmokeWallpaperId
    Write-SmokeWallpaper $wallpaper
    if ($Wallpkg) {
        $lint = & $Wallpkg lint $wallpaper 2>&1
        Expect ($LASTEXITCODE -eq 0) "wallpkg lint refuses the smoke wallpaper: $lint"
    }

    # The user32 declarations compile as C# 5, the language Windows PowerShell 5.1 compiles
    # (nothing is called).
    Add-Type -TypeDefinition (Get-SmokeInteropSource) -CompilerOptions '-langversion:5'
    $preflightReport = New-SmokeReport $now
    Add-PreflightFacts $preflightReport @{ Build = '20348.1'; Description = 'd'; Session = 'console'; Progman = $true; IconView = $false
        InputDesktop = ''; Resolution = 'r'; DpiAwareness = 'system'; Scale = '100% (96 dpi)'; Runtime = '' }
    $names = @($preflightReport.Facts | ForEach-Object { $_.Name + '=' + $_.Value })
    Expect (($names -join '|') -eq ('windows build=20348.1|windows=d|session=console|explorer desktop=Progman present, icon view missing|' +
        'input desktop=not available to this session (locked, a secure desktop or a service session)|resolution=r|' +
        'dpi awareness=system|primary monitor scale=100% (96 dpi)|webview2 runtime=not installed')) ('the pre-flight facts: ' + ($names -join '|'))
    Expect ([bool]('TessarySmoke.User32' -as [type])) 'the user32 declarations compile'
} finally {
    Remove-Item -LiteralPath $work -Recurse -Force
}

if ($failures.Count -gt 0) { $failures | ForEach-Object { "FAIL $_" }; exit 1 }
'ok: windows-smoke.ps1 parses, reads as Windows PowerShell 5.1 would, and its platform-free parts work'
