#!/usr/bin/env bash
# Makes the test media with the ffmpeg program: short clips in several containers and codecs,
# interlaced material, sound alone, stills, a non-ASCII name, a truncated and a random file.
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"
ff() { ffmpeg -hide_banner -loglevel error -nostdin -y "$@"; }

video="testsrc2=size=320x240:rate=25"
tone="sine=frequency=440:sample_rate=48000"

ff -f lavfi -i "$video:duration=2" -f lavfi -i "$tone:duration=2" -ac 2 \
   -c:v libx264 -preset ultrafast -pix_fmt yuv420p -g 25 -c:a aac -shortest clip_h264.mp4
ff -f lavfi -i "$video:duration=1" -f lavfi -i "$tone:duration=1" -ac 2 \
   -c:v libvpx-vp9 -deadline realtime -cpu-used 8 -b:v 300k -c:a libopus clip_vp9.webm
ff -f lavfi -i "$video:duration=1" -f lavfi -i "$tone:duration=1" -ac 2 \
   -c:v mpeg4 -q:v 5 -c:a libmp3lame clip_mpeg4.avi
ff -f lavfi -i "$video:duration=1" -f lavfi -i "$tone:duration=1" -ac 2 \
   -c:v prores_ks -profile:v 0 -c:a pcm_s16le clip_prores.mov
ff -f lavfi -i "$video:duration=1" -f lavfi -i "$tone:duration=1" -ac 2 \
   -c:v mpeg2video -q:v 5 -c:a mp2 clip_mpeg2.ts
ff -f lavfi -i "testsrc2=size=320x240:rate=50:duration=1" -vf "interlace,setfield=tff" \
   -c:v mpeg2video -flags +ilme+ildct -top 1 -q:v 5 interlaced.mpg
# A picture alone, five seconds long, for seeking.
ff -f lavfi -i "testsrc2=size=160x120:rate=25:duration=5" -c:v libx264 -preset ultrafast \
   -pix_fmt yuv420p -g 10 video_only.mp4

# Six seconds of picture and sound, for start points and loops.
ff -f lavfi -i "testsrc2=size=160x120:rate=25:duration=6" -f lavfi -i "$tone:duration=6" -ac 2 \
   -c:v libx264 -preset ultrafast -pix_fmt yuv420p -g 25 -c:a aac -shortest clip_6s.mp4
# The same with its index first: cut short, it still opens, and its data ends early.
ff -i clip_6s.mp4 -c copy -movflags +faststart clip_6s_index_first.mp4

# Sound alone. "dc.wav" (1 s) holds the constant sample 16384 (half scale) in both channels.
ff -f lavfi -i "aevalsrc=0.5|0.5:sample_rate=48000:duration=1" -c:a pcm_s16le dc.wav
# The same on the left only.
ff -f lavfi -i "aevalsrc=0.5|0:sample_rate=48000:duration=1" -c:a pcm_s16le dc_left.wav
ff -f lavfi -i "$tone:duration=1" -ac 2 -c:a pcm_s16le tone.wav
ff -f lavfi -i "$tone:duration=1" -ac 1 -c:a libmp3lame tone_mono.mp3
ff -f lavfi -i "$tone:duration=1" -af "pan=5.1|FL=c0|FR=c0|FC=c0|LFE=c0|BL=c0|BR=c0" \
   -c:a flac tone_51.flac

# Stills.
for ext in png jpg bmp gif; do
  ff -f lavfi -i "testsrc2=size=320x240:duration=1" -frames:v 1 "still.$ext"
done

# Plain colours, for reading the stage by pixel.
for colour in red blue; do
  ff -f lavfi -i "color=c=$colour:size=320x240" -frames:v 1 "$colour.png"
done

# Numbered pictures at 25 a second with sound (clips 1 and 2 one second, clip 3 four): each
# picture is one flat colour that tells its clip and its number (numbered_frames.h reads it).
for clip in 1 2 3; do
  seconds=$((clip == 3 ? 4 : 1))
  ff -f lavfi -i "color=c=black:size=96x54:rate=25:duration=$seconds,format=gbrp,geq=r=$((40 + 50 * (clip - 1))):g=20+20*mod(N\,10):b=20+20*trunc(N/10)" \
     -f lavfi -i "$tone:duration=$seconds" -ac 2 -c:v libx264 -preset ultrafast -qp 0 \
     -pix_fmt yuv420p -c:a aac -shortest "numbered_$clip.mp4"
done

cp clip_h264.mp4 "Überraschung – è.mp4"
head -c 20000 clip_h264.mp4 > truncated.mp4
head -c 65536 /dev/urandom > random.mp4
