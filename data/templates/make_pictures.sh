#!/usr/bin/env bash
# Draws the small pictures of the supplied project templates with ImageMagick.
# The pictures are committed; run this only to change them:
#   bash data/templates/make_pictures.sh
set -euo pipefail
out="$(cd "$(dirname "$0")/.." && pwd)/Tools/PrjectTemp/Olz/Pict"
mkdir -p "$out"

# Banner of the personal site: sky, sun and green hills.
convert -size 480x120 gradient:'#8ec5ee'-'#eaf6ff' \
    -fill '#ffd84a' -draw 'circle 400,38 400,62' \
    -fill '#7cc46a' -draw 'ellipse 110,150 200,70 0,360' \
    -fill '#5aa84c' -draw 'ellipse 330,160 220,75 0,360' \
    -fill '#ffffff' -draw 'ellipse 150,30 40,12 0,360' -draw 'ellipse 185,36 30,10 0,360' \
    +dither -colors 32 "$out/top.gif"

# A smiling face for the profile.
convert -size 96x96 xc:'#fff4e0' \
    -fill '#ffcf6b' -stroke '#d99a2b' -strokewidth 2 -draw 'circle 48,48 48,10' \
    -fill '#4a3520' -stroke none -draw 'circle 35,40 35,45' -draw 'circle 61,40 61,45' \
    -fill none -stroke '#4a3520' -strokewidth 3 -draw 'arc 30,44 66,70 20,160' \
    -fill '#f59a8c' -stroke none -draw 'circle 26,56 26,60' -draw 'circle 70,56 70,60' \
    +dither -colors 32 "$out/face.gif"

# The little cafe: walls, roof, a striped awning, door and windows.
convert -size 320x200 gradient:'#cfe9f7'-'#ffffff' \
    -fill '#9bd08a' -draw 'rectangle 0,170 320,200' \
    -fill '#f3e2c4' -stroke '#a0764a' -strokewidth 2 -draw 'rectangle 60,80 260,172' \
    -fill '#b5523b' -stroke '#7a3424' -draw 'polygon 40,84 160,24 280,84' \
    -stroke none \
    -fill '#d94f4f' -draw 'rectangle 70,96 95,112' -draw 'rectangle 120,96 145,112' -draw 'rectangle 170,96 195,112' -draw 'rectangle 220,96 250,112' \
    -fill '#ffffff' -draw 'rectangle 95,96 120,112' -draw 'rectangle 145,96 170,112' -draw 'rectangle 195,96 220,112' \
    -fill '#7a4b2a' -draw 'rectangle 146,122 176,172' \
    -fill '#ffe08a' -draw 'circle 170,148 170,151' \
    -fill '#bfe3f5' -stroke '#a0764a' -strokewidth 2 -draw 'rectangle 80,124 126,156' -draw 'rectangle 196,124 242,156' \
    +dither -colors 32 "$out/shop.gif"

# A cup of coffee with steam.
convert -size 160x120 xc:'#fbf3e6' \
    -fill '#ffffff' -stroke '#8a6a4a' -strokewidth 2 -draw 'ellipse 80,104 52,10 0,360' \
    -draw 'polygon 44,50 116,50 106,98 54,98' \
    -fill none -strokewidth 5 -draw 'ellipse 120,70 12,14 270,90' \
    -fill '#6b3f22' -stroke '#8a6a4a' -strokewidth 2 -draw 'ellipse 80,50 36,8 0,360' \
    -fill none -stroke '#c8b8a8' -strokewidth 3 -draw 'bezier 68,38 60,28 76,20 68,8' -draw 'bezier 90,38 82,28 98,20 90,8' \
    +dither -colors 32 "$out/cup.gif"

# Four seasons for the photo album.
convert -size 320x240 gradient:'#9fd0f5'-'#f2f9ff' \
    -fill '#a8d88e' -draw 'rectangle 0,200 320,240' \
    -fill '#7a5236' -draw 'polygon 150,210 170,210 166,120 154,120' \
    -fill '#f7b6c8' -draw 'circle 160,100 160,40' -draw 'circle 110,120 110,80' -draw 'circle 210,120 210,80' \
    -fill '#f39ab4' -draw 'circle 135,90 135,60' -draw 'circle 190,85 190,55' -draw 'circle 160,130 160,105' \
    -fill '#ffffff' -draw 'circle 120,95 120,98' -draw 'circle 175,70 175,73' -draw 'circle 205,115 205,118' -draw 'circle 145,125 145,128' \
    -quality 82 "$out/spring.jpg"

convert -size 320x240 gradient:'#4aa8e8'-'#c9e9ff' \
    -fill '#ffe36b' -draw 'circle 260,50 260,78' \
    -fill '#2a7fc0' -draw 'rectangle 0,130 320,190' \
    -fill '#5ab0e0' -draw 'rectangle 0,130 320,136' -draw 'rectangle 30,150 120,153' -draw 'rectangle 180,165 290,168' \
    -fill '#f4deaa' -draw 'polygon 0,190 320,175 320,240 0,240' \
    -fill '#ffffff' -draw 'ellipse 80,60 36,12 0,360' -draw 'ellipse 110,66 26,9 0,360' \
    -quality 82 "$out/summer.jpg"

convert -size 320x240 gradient:'#f7c48a'-'#fff1de' \
    -fill '#a3553a' -draw 'polygon 0,200 90,90 170,200' \
    -fill '#c8682e' -draw 'polygon 110,200 220,70 320,200' \
    -fill '#e8a03a' -draw 'rectangle 0,196 320,240' \
    -fill '#d9442e' -draw 'circle 60,215 60,222' -draw 'circle 140,225 140,231' -draw 'circle 250,212 250,219' \
    -fill '#f2c12e' -draw 'circle 100,230 100,236' -draw 'circle 200,222 200,228' -draw 'circle 290,230 290,236' \
    -quality 82 "$out/autumn.jpg"

convert -size 320x240 gradient:'#b9c9dc'-'#eef3f8' \
    -fill '#ffffff' -draw 'ellipse 160,250 260,70 0,360' \
    -stroke '#c7d2de' -strokewidth 2 -draw 'circle 160,180 160,150' -draw 'circle 160,125 160,105' \
    -stroke none -fill '#333333' -draw 'circle 153,120 153,123' -draw 'circle 167,120 167,123' \
    -fill '#f08a2e' -draw 'polygon 160,126 160,132 176,129' \
    -fill '#d94f4f' -draw 'rectangle 140,140 180,146' \
    -fill '#ffffff' -draw 'circle 40,40 40,43' -draw 'circle 90,70 90,72' -draw 'circle 250,30 250,33' -draw 'circle 280,90 280,92' -draw 'circle 60,110 60,112' -draw 'circle 220,60 220,63' \
    -quality 82 "$out/winter.jpg"

ls -l "$out"
