#!/usr/bin/env python3
"""Writes the supplied templates of data/Tools/HTMLTemp/Olz and
data/Tools/PrjectTemp/Olz from the readable page sources beside this script
(UTF-8 with LF; the build turns them into code page 932 with CR LF).

Run from anywhere after changing a source:  python3 data/templates/make_templates.py
The pictures are drawn by make_pictures.sh.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
TOOLS = os.path.join(HERE, '..', 'Tools')

# Page templates, in list order: (source, name, description).
PAGES = [
    ('blank.htm', '白紙のページ', '文字コードの宣言と本文の入れ物だけがある、何も書かれていないページです。'),
    ('top.htm', 'トップページ', '大きな見出しとほかのページへのメニューがある、ホームページの入り口です。'),
    ('profile.htm', '自己紹介', '名前や好きなものを表にまとめた自己紹介のページです。'),
    ('diary.htm', '日記', '日付と天気のついた日記のページです。一日分ずつ書き足せます。'),
    ('link.htm', 'リンク集', 'お気に入りのホームページを紹介文といっしょに並べるページです。'),
    ('table.htm', '表のあるページ', '曜日ごとの予定を表にしたページです。時間割や料金表にも使えます。'),
]

PICT = '*\\Tools\\PrjectTemp\\Olz\\Pict\\'

# Project templates: (folder, name, description, pages, pictures).
# pages: (source, display name); the output name is the source's name. The
# first page is Index.htm, the name a new project's first page has, so that the
# page templates' links back to the top find it.
# pictures: (display name, file name, extension).
PROJECTS = [
    ('site', '個人のホームページ',
     'トップ・自己紹介・日記・リンク集の4ページがメニューでつながった、はじめてのホームページです。',
     [('Index.htm', 'トップ'), ('profile.htm', '自己紹介'), ('diary.htm', '日記'), ('link.htm', 'リンク集')],
     [('トップの絵', 'top', '.gif'), ('似顔絵', 'face', '.gif')]),
    ('shop', '小さなお店のホームページ',
     '喫茶店を例にした、ホーム・メニュー・お店の案内の3ページのお店のホームページです。',
     [('Index.htm', 'ホーム'), ('menu.htm', 'メニュー'), ('access.htm', 'お店の案内')],
     [('お店の絵', 'shop', '.gif'), ('コーヒーの絵', 'cup', '.gif')]),
    ('album', '写真アルバム',
     '目次の小さな写真から季節ごとの写真のページへ進む、4枚の写真のアルバムです。',
     [('Index.htm', '目次'), ('spring.htm', '春'), ('summer.htm', '夏'), ('autumn.htm', '秋'),
      ('winter.htm', '冬')],
     [('春の写真', 'spring', '.jpg'), ('夏の写真', 'summer', '.jpg'), ('秋の写真', 'autumn', '.jpg'),
      ('冬の写真', 'winter', '.jpg')]),
]


def read(path):
    with open(path, encoding='utf-8') as f:
        text = f.read()
    return text.rstrip('\n')


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'w', encoding='utf-8', newline='\n') as f:
        f.write(text + '\n')


def fits(field):
    assert field and ',' not in field and '\n' not in field and field == field.lstrip(), field
    assert not field.startswith('"'), field
    return field


def project_text(folder, pages, pictures):
    out = ['$HtmlProjectFile$,', str(len(pages) - 1), ',']
    for source, name in pages:
        base, ext = os.path.splitext(source)
        html = read(os.path.join(HERE, 'projects', folder, source))
        assert not html.startswith('\n')
        assert '/$/End_HtmlDat_String/$/' not in html
        out += [fits(name), ',', fits(base), ',', ext, ',', html, '\n/$/End_HtmlDat_String/$/\n']
    out += [str(len(pictures) - 1), ',']
    for name, base, ext in pictures:
        out += [fits(name), ',', fits(base), ',', ext, ',', PICT + base + ext, ',']
    out += ['-1,', '-1,', ',', '$End_Project_Dates$']
    return ''.join(out)


def main():
    olz = os.path.join(TOOLS, 'HTMLTemp', 'Olz')
    write(os.path.join(olz, 'TempList.dat'),
          ','.join(fits(n) + ',' + fits(d) for _, n, d in PAGES))
    for i, (source, _, _) in enumerate(PAGES):
        write(os.path.join(olz, 'TempFile%d.dat' % i), read(os.path.join(HERE, 'pages', source)))

    olz = os.path.join(TOOLS, 'PrjectTemp', 'Olz')
    write(os.path.join(olz, 'TempList.dat'),
          ','.join(fits(n) + ',' + fits(d) for _, n, d, _, _ in PROJECTS))
    for i, (folder, _, _, pages, pictures) in enumerate(PROJECTS):
        write(os.path.join(olz, 'TempFile%d.dat' % i), project_text(folder, pages, pictures))


if __name__ == '__main__':
    main()
