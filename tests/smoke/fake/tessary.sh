#!/usr/bin/env bash
# A made-up player for the smoke script's run-through: it writes the log lines the script
# waits for, and takes the script's window messages as files (cmd-NAME) in its data folder.
d="$LOCALAPPDATA/Tessary-0123456789ab"
log() { echo "[$(date +%s)] $*" >>"$d/player.log"; }
case "${1:-}" in
  --select-wallpaper) log "startup version=0.6.5 local_preview=false offline_share=false data=$d"; touch "$d/cmd-select"; exit 0 ;;
  --exit) touch "$d/cmd-exit"; exit 0 ;;
esac
mkdir -p "$d/library" "$d/packages"
echo "$d" >"$SMOKE_FAKE_STATE/data-folder"
log "startup version=0.6.5 local_preview=false offline_share=false data=$d"
log "loaded aurora-drift mode=preview host=0x11 parent=0x0"
log "wallpaper bridge ready"
for _ in $(seq 600); do
  sleep 0.1
  if [ -e "$d/cmd-select" ]; then
    rm "$d/cmd-select"
    [ -f "$d/library/tessary-smoke/manifest.json" ] || { log "select wallpaper: not installed"; continue; }
    log "loaded tessary-smoke mode=preview host=0x10 parent=0x0"
    log "wallpaper bridge ready"
  fi
  if [ -e "$d/cmd-110" ]; then
    rm "$d/cmd-110"
    log "control command=110"
    # SMOKE_FAKE_MOUNT=refuse: the player finds no WorkerW and says so.
    if [ "${SMOKE_FAKE_MOUNT:-}" = refuse ]; then
      log "desktop mount unavailable: No safe wallpaper WorkerW; use preview and retry after Explorer restarts"
    else
      log "desktop mounted host=0x10 parent=0x20"
    fi
  fi
  if [ -e "$d/cmd-cover" ]; then rm "$d/cmd-cover"; log "state paused=true fps=30"; fi
  if [ -e "$d/cmd-uncover" ]; then rm "$d/cmd-uncover"; log "state paused=false fps=30"; fi
  if [ -e "$d/cmd-exit" ]; then rm "$d/cmd-exit"; log "clean shutdown"; exit 0; fi
done
exit 1
