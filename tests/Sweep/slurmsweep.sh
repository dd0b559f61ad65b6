#!/usr/bin/env bash
# Runs a six-variant sweep as a Slurm job array on a one-node Slurm started here
# on localhost (its own munge key, ports, spool and state in a temporary
# folder), and checks that its collected table equals the GNU parallel run's.
# Exit 77 (skipped) only when the daemons cannot be started.
set -u
sweep=$1
list=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/torvane-slurm.XXXXXX")
export HOME="$work/home"
mkdir -p "$HOME" "$work"/{state,spool,log,run}

running() { pgrep -f "$work/(slurm.conf|run/munge.sock)" >/dev/null; }
stop_daemons() {
  for d in slurmd slurmctld munged; do
    [ -f "$work/run/$d.pid" ] && kill "$(cat "$work/run/$d.pid")" 2>/dev/null
  done
  for _ in $(seq 100); do running || break; sleep 0.1; done
  running && pkill -KILL -f "$work/(slurm.conf|run/munge.sock)"
  rm -rf "$work"
}
trap stop_daemons EXIT

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; for f in "$work"/log/*; do echo "== $f"; tail -n 20 "$f"; done; exit 1; }

for tool in munged slurmctld slurmd sbatch squeue parallel; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (Debian: slurm-wlm, munge, parallel)"
done
[ "$(id -u)" -eq 0 ] || skip "a private Slurm needs root here"

dd if=/dev/urandom of="$work/munge.key" bs=1024 count=1 2>/dev/null
chmod 600 "$work/munge.key"
munged --key-file="$work/munge.key" --socket="$work/run/munge.sock" --pid-file="$work/run/munged.pid" \
       --log-file="$work/log/munged.log" --seed-file="$work/run/munge.seed" --force \
  || skip "munged does not start"

node=$(hostname -s)
# Ports in the dynamic range, picked per run so that runs side by side do not meet.
port=$(( 20000 + RANDOM % 20000 ))
cat > "$work/slurm.conf" <<CONF
ClusterName=torvanetest
SlurmctldHost=$node(127.0.0.1)
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$work/run/munge.sock
CredType=cred/munge
SlurmctldPort=$port
SlurmdPort=$((port + 1))
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/run/slurmctld.pid
SlurmdPidFile=$work/run/slurmd.pid
SlurmctldLogFile=$work/log/slurmctld.log
SlurmdLogFile=$work/log/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
ReturnToService=2
MpiDefault=none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
NodeName=$node NodeAddr=127.0.0.1 CPUs=$(nproc) RealMemory=1000 State=UNKNOWN
PartitionName=sweeps Nodes=ALL Default=YES MaxTime=INFINITE State=UP
CONF
export SLURM_CONF="$work/slurm.conf"
slurmctld -f "$SLURM_CONF" || skip "slurmctld does not start"
slurmd -f "$SLURM_CONF" || skip "slurmd does not start"
ready=
for _ in $(seq 100); do
  if sinfo -h -o %t 2>/dev/null | grep -qx idle; then ready=1; break; fi
  sleep 0.2
done
[ -n "$ready" ] || skip "the Slurm node did not come up: $(sinfo 2>&1 | tail -n 1)"

grid=(--grid "3:Film Thickness=2,3,4" --grid "8:Depth=5:7:2" --measure --column 32,20)
"$sweep" "$list" "${grid[@]}" --out "$work/slurm" --run slurm --submit --limit 2 --time 00:10:00 \
  || fail "torvane-sweep --run slurm --submit"
grep -q '^#SBATCH --array=0-5%2$' "$work/slurm/sweep.sbatch" || fail "the job array line"

done=
for _ in $(seq 1500); do   # 300 s at most
  if [ -z "$(squeue -h 2>/dev/null)" ] && [ "$(ls "$work"/slurm/variants/*/status 2>/dev/null | wc -l)" -eq 6 ]; then
    done=1; break
  fi
  sleep 0.2
done
[ -n "$done" ] || fail "the job array did not finish in 300 s: $(squeue 2>&1)"

"$sweep" "$list" "${grid[@]}" --out "$work/parallel" --run parallel --jobs 2 >/dev/null || fail "the GNU parallel run"
"$sweep" collect "$work/slurm" > "$work/slurm.csv" || fail "collect of the Slurm sweep"
"$sweep" collect "$work/parallel" > "$work/parallel.csv" || fail "collect of the GNU parallel sweep"
[ "$(grep -c ',ok,0,' "$work/slurm.csv")" -eq 6 ] || fail "six variants ok: $(cat "$work/slurm.csv")"
diff "$work/slurm.csv" "$work/parallel.csv" || fail "the Slurm table differs from the GNU parallel one"
echo "Slurm job array of 6 variants equals the GNU parallel sweep"
